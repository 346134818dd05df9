#include "platform/graphics/glyphs.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/graphics/display_dpi.h"
#include "platform/graphics/handle_table.h"
#include "platform/text/font_file_stream.h"
#include "platform/text/font_match.h"

namespace platform {
namespace {

constexpr int default_pixel_height = 12;
constexpr int max_pixel_height = 4096;

int ceil_pixels(FT_Pos value) { return static_cast<int>((value + 63) >> 6); }
int round_pixels(FT_Pos value) { return static_cast<int>((value + 32) >> 6); }

// A face of bitmaps has only the sizes it was drawn at: the one nearest to what was asked.
bool select_nearest_size(FT_Face face, FT_UInt em_pixels) {
  int nearest = -1;
  long nearest_distance = 0;
  for (int index = 0; index < face->num_fixed_sizes; ++index) {
    const long distance = std::labs(round_pixels(face->available_sizes[index].y_ppem) - long{em_pixels});
    if (nearest < 0 || distance < nearest_distance) {
      nearest = index;
      nearest_distance = distance;
    }
  }
  return nearest >= 0 && FT_Select_Size(face, nearest) == 0;
}

FT_Face open_face(FT_Library library, FontFileStream& stream, int index, const FontRequest& request) {
  FT_Face face = nullptr;
  const FT_Open_Args arguments = stream.arguments();
  if (FT_Open_Face(library, &arguments, index, &face) != 0) {
    return nullptr;
  }
  FT_UInt em_pixels = default_pixel_height;
  if (request.height < 0) {
    em_pixels = static_cast<FT_UInt>(-static_cast<long>(request.height));
  } else if (request.height > 0 && face->units_per_EM > 0 && face->ascender - face->descender > 0) {
    // A positive height is the whole cell, ascent plus descent.
    em_pixels = static_cast<FT_UInt>(std::max<long>(
        1, std::lround(double(request.height) * face->units_per_EM / (face->ascender - face->descender))));
  }
  if (em_pixels > max_pixel_height ||
      (FT_Set_Pixel_Sizes(face, 0, em_pixels) != 0 && !select_nearest_size(face, em_pixels))) {
    FT_Done_Face(face);
    return nullptr;
  }
  return face;
}

// A rectangle of coverage values; a pitch of 0 repeats the first row.
struct CoverageBlock {
  long left;
  long top;
  long width;
  long rows;
  const std::uint8_t* data;
  int pitch;
};

struct Glyph {
  int left = 0;     // from the pen position to the first column
  int top = 0;      // from the baseline up to the first row
  int width = 0;
  int rows = 0;
  int advance = 0;
  std::vector<std::uint8_t> coverage;  // width x rows, 0 to 255
};

class Font {
 public:
  explicit Font(const FontRequest& request) : request_(request) {}
  ~Font() {
    if (face_ != nullptr) {
      FT_Done_Face(face_);
    }
  }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Finds and opens the face the first time the font is used, taking the next face fontconfig
  // offers when one cannot be loaded. False when no face can be.
  bool load(FT_Library library, FontConfiguration& configuration) {
    if (!tried_) {
      tried_ = true;
      const double pixel_size = request_.height != 0 ? std::abs(double(request_.height)) : default_pixel_height;
      const FontQuery query{request_.face, request_.weight, request_.italic, pixel_size};
      if (library != nullptr && pixel_size <= max_pixel_height) {
        no_face_ = !configuration.match(query, [&](const FontFile& file) { return open(library, file); });
      }
    }
    return face_ != nullptr;
  }
  // True when no installed face could be loaded for the font, whatever its size.
  bool no_face() const { return no_face_; }
  // What the font asked for and, once loaded, what it is drawn in; set when the two differ (a
  // face of bitmaps at another size) or no face could be loaded at all.
  std::optional<FontFallback> fallback() const {
    const int asked = asked_pixels();
    if (no_face_) {
      return FontFallback{request_.face, asked, {}, 0};
    }
    if (face_ == nullptr || FT_IS_SCALABLE(face_) || face_->size->metrics.y_ppem == asked) {
      return std::nullopt;
    }
    return FontFallback{request_.face, asked, face_->family_name != nullptr ? face_->family_name : "",
                        face_->size->metrics.y_ppem};
  }

  const FontRequest& request() const { return request_; }
  int asked_pixels() const { return request_.height != 0 ? std::abs(request_.height) : default_pixel_height; }
  int line_height() const { return ascent_ + descent_; }

  const Glyph& glyph(unsigned char character) {
    std::optional<Glyph>& cached = glyphs_[character];
    if (!cached) {
      cached = render(character);
    }
    return *cached;
  }

  TextExtent measure(std::string_view text) {
    TextExtent extent{0, line_height()};
    for (const char character : text) {
      extent.width += glyph(static_cast<unsigned char>(character)).advance;
    }
    return extent;
  }

  // Calls paint(block) for every glyph of the text set with its cell's top-left corner at (x, y),
  // then for the underline and strike-out rules.
  template <typename Paint>
  void trace(std::string_view text, int x, int y, Paint paint) {
    long pen = x;
    for (const char character : text) {
      const Glyph& shape = glyph(static_cast<unsigned char>(character));
      paint(CoverageBlock{pen + shape.left, long{y} + ascent_ - shape.top, shape.width, shape.rows,
                          shape.coverage.data(), shape.width});
      pen += shape.advance;
    }
    if (!request_.underline && !request_.strike_out) {
      return;
    }
    const std::vector<std::uint8_t> solid(static_cast<std::size_t>(std::max(pen - x, 0L)), 255);
    const auto rule = [&](int row) { paint(CoverageBlock{x, y + row, pen - x, line_thickness_, solid.data(), 0}); };
    if (request_.underline) {
      rule(std::min(underline_row_, line_height() - line_thickness_));
    }
    if (request_.strike_out) {
      rule(strike_row_);
    }
  }

 private:
  bool open(FT_Library library, const FontFile& file) {
    std::unique_ptr<FontFileStream> stream = FontFileStream::open(file.path);
    FT_Face face = stream ? open_face(library, *stream, file.index, request_) : nullptr;
    if (face == nullptr) {
      return false;
    }
    stream_ = std::move(stream);
    face_ = face;
    settings_ = file.settings;
    const bool synthetic_italic = request_.italic && (face->style_flags & FT_STYLE_FLAG_ITALIC) == 0;
    ascent_ = ceil_pixels(face->size->metrics.ascender);
    descent_ = ceil_pixels(-face->size->metrics.descender);
    if (synthetic_italic) {
      FT_Matrix shear{0x10000, 0x3800, 0, 0x10000};
      FT_Set_Transform(face_, &shear, nullptr);
    }
    load_flags_ = FT_LOAD_DEFAULT;
    if (!settings_.hinting || settings_.hint_style == 0) {
      load_flags_ |= FT_LOAD_NO_HINTING;
    } else if (settings_.hint_style == 1) {
      load_flags_ |= FT_LOAD_TARGET_LIGHT;
    }
    if (settings_.autohint) {
      load_flags_ |= FT_LOAD_FORCE_AUTOHINT;
    }
    if (!settings_.antialias) {
      load_flags_ |= FT_LOAD_TARGET_MONO;
    }
    const double scale = static_cast<double>(face->size->metrics.y_scale) / 65536.0 / 64.0;
    line_thickness_ = std::max(1, static_cast<int>(std::lround(face->underline_thickness * scale)));
    underline_row_ = ascent_ + std::max(1, static_cast<int>(std::lround(-face->underline_position * scale)));
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const double strike = os2 != nullptr && os2->yStrikeoutPosition > 0 ? os2->yStrikeoutPosition * scale : ascent_ / 3.0;
    strike_row_ = ascent_ - static_cast<int>(std::lround(strike));
    return true;
  }

  Glyph render(unsigned char character) {
    Glyph result;
    // ISO 8859-1 characters are the first 256 code points of Unicode.
    if (FT_Load_Char(face_, character, load_flags_) != 0) {
      return result;
    }
    FT_GlyphSlot slot = face_->glyph;
    if (settings_.embolden) {
      FT_GlyphSlot_Embolden(slot);
    }
    result.advance = round_pixels(slot->advance.x);
    if (FT_Render_Glyph(slot, settings_.antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) {
      return result;
    }
    const FT_Bitmap& bitmap = slot->bitmap;
    result.left = slot->bitmap_left;
    result.top = slot->bitmap_top;
    result.width = static_cast<int>(bitmap.width);
    result.rows = static_cast<int>(bitmap.rows);
    const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    result.coverage.resize(std::size_t{bitmap.width} * bitmap.rows);
    std::uint8_t* target = result.coverage.data();
    for (int row = 0; row < result.rows; ++row) {
      const unsigned char* source = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
      for (int column = 0; column < result.width; ++column) {
        *target++ = mono ? static_cast<std::uint8_t>(((source[column >> 3] >> (7 - (column & 7))) & 1) * 255) : source[column];
      }
    }
    return result;
  }

  std::unique_ptr<FontFileStream> stream_;  // outlives the face read from it
  FT_Face face_ = nullptr;
  bool tried_ = false;
  bool no_face_ = false;
  FontRequest request_;
  RenderSettings settings_;
  FT_Int32 load_flags_ = FT_LOAD_DEFAULT;
  int ascent_ = 0;
  int descent_ = 0;
  int line_thickness_ = 1;
  int underline_row_ = 0;
  int strike_row_ = 0;
  std::array<std::optional<Glyph>, 256> glyphs_;
};

// Every font the program has made, the stock fonts and the font configuration they were found
// with; made when the first font is, ended with the window system. The library outlives every face
// made from it: members are destroyed in reverse order.
struct GlyphSystem {
  GlyphSystem() {
    if (FT_Init_FreeType(&library) != 0) {
      library = nullptr;
    }
  }
  ~GlyphSystem() {
    fonts = HandleTable<Font>();
    if (library != nullptr) {
      FT_Done_FreeType(library);
    }
  }
  GlyphSystem(const GlyphSystem&) = delete;
  GlyphSystem& operator=(const GlyphSystem&) = delete;

  FontConfiguration configuration;
  FT_Library library = nullptr;
  HandleTable<Font> fonts;
  // By kind and pixel height: one for each resolution asked for.
  std::map<std::pair<StockFont, int>, FontHandle> stock_fonts;
  FontReport report;  // the program's: it words what is told
  bool fallback_reported = false;
};

// The process's one glyph system, or none.
std::unique_ptr<GlyphSystem>& glyph_system_slot() {
  static std::unique_ptr<GlyphSystem> system;
  return system;
}

GlyphSystem& glyph_system() {
  std::unique_ptr<GlyphSystem>& system = glyph_system_slot();
  if (!system) {
    system = std::make_unique<GlyphSystem>();
  }
  return *system;
}

// The font with its face loaded, or nullptr. Without any font the program still runs, without
// text; the program is told once, for the first font that falls back, what it asked and got.
Font* loaded_font(FontHandle handle) {
  GlyphSystem& system = glyph_system();
  Font* found = system.fonts.find(handle);
  if (found == nullptr) {
    return nullptr;
  }
  const bool loaded = found->load(system.library, system.configuration);
  if (!system.fallback_reported) {
    if (const std::optional<FontFallback> fallback = found->fallback()) {
      system.fallback_reported = true;
      if (system.report) {
        system.report(*fallback);
      }
    }
  }
  return loaded ? found : nullptr;
}

}  // namespace

void set_font_report(FontReport report) { glyph_system().report = std::move(report); }

void end_glyphs() {
  if (glyph_system_slot()) {
    glyph_system_slot().reset();
    end_fontconfig();
  }
}

FontHandle create_font(const FontRequest& request) {
  return glyph_system().fonts.add(std::make_unique<Font>(request));
}

bool delete_font(FontHandle font) {
  GlyphSystem& system = glyph_system();
  for (const auto& [kind, stock] : system.stock_fonts) {
    if (font == stock) {
      return false;
    }
  }
  return system.fonts.remove(font);
}

FontHandle stock_font(StockFont which) { return stock_font(which, display_dpi()); }

FontHandle stock_font(StockFont which, int dpi) {
  // The desktop's sans-serif face: 10 points bold for the system font, 9 points for controls.
  const int points = which == StockFont::System ? 10 : 9;
  const int pixels = static_cast<int>(std::lround(points * dpi / 72.0));
  FontHandle& handle = glyph_system().stock_fonts[{which, pixels}];
  if (handle == 0) {
    FontRequest request;
    request.face = "sans-serif";
    request.height = -pixels;
    request.weight = which == StockFont::System ? 700 : 400;
    handle = create_font(request);
  }
  return handle;
}

const FontRequest* font_request(FontHandle font) {
  const Font* found = glyph_system().fonts.find(font);
  return found != nullptr ? &found->request() : nullptr;
}

std::optional<TextExtent> measure_text(FontHandle font, std::string_view text) {
  Font* found = loaded_font(font);
  if (found == nullptr) {
    return std::nullopt;
  }
  return found->measure(text);
}

std::optional<TextExtent> write_text(FontHandle font, std::string_view text, Bitmap& target, int x, int y) {
  Font* found = loaded_font(font);
  if (found == nullptr) {
    return std::nullopt;
  }
  const int pixel_size = target.pixel_size();
  const TextExtent cell = found->measure(text);
  const long left = std::max(0L, long{x});
  const long right = std::min(long{target.width()}, long{x} + cell.width);
  const long top = std::max(0L, long{y});
  const long bottom = std::min(long{target.height()}, long{y} + cell.height);
  for (long row = top; row < bottom && left < right; ++row) {
    std::uint8_t* start = target.row(static_cast<int>(row)) + left * pixel_size;
    if (pixel_size == 3) {
      std::fill_n(start, (right - left) * 3, std::uint8_t{0});
    } else {
      for (long column = left; column < right; ++column, start += pixel_size) {
        std::fill_n(start, 3, std::uint8_t{0});
      }
    }
  }
  found->trace(text, x, y, [&](const CoverageBlock& block) {
    const long first_column = std::max(0L, -block.left);
    const long last_column = std::min(block.width, target.width() - block.left);
    const long first_row = std::max(0L, -block.top);
    const long last_row = std::min(block.rows, target.height() - block.top);
    for (long row = first_row; row < last_row; ++row) {
      const std::uint8_t* coverage = block.data + row * block.pitch;
      std::uint8_t* pixel = target.row(static_cast<int>(block.top + row)) + (block.left + first_column) * pixel_size;
      for (long column = first_column; column < last_column; ++column, pixel += pixel_size) {
        // Neighbouring glyphs may overlap; the brighter coverage wins. Most of a glyph's box is
        // empty and needs no write at all.
        const std::uint8_t value = coverage[column];
        if (value > pixel[0]) {
          pixel[0] = pixel[1] = pixel[2] = value;
        }
      }
    }
  });
  return cell;
}

void trace_text(FontHandle font, std::string_view text, int x, int y,
                const std::function<void(int x, int y, std::uint8_t coverage)>& paint) {
  Font* found = loaded_font(font);
  if (found == nullptr) {
    return;
  }
  found->trace(text, x, y, [&](const CoverageBlock& block) {
    for (long row = 0; row < block.rows; ++row) {
      for (long column = 0; column < block.width; ++column) {
        const std::uint8_t coverage = block.data[row * block.pitch + column];
        if (coverage != 0) {
          paint(static_cast<int>(block.left + column), static_cast<int>(block.top + row), coverage);
        }
      }
    }
  });
}

}  // namespace platform
