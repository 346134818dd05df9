#pragma once

// A font as FreeType draws it: the face found for its request, opened the first time it is used,
// and its glyphs, rendered once each.

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/graphics/coverage_block.h"
#include "platform/graphics/glyphs.h"
#include "platform/text/font_file_stream.h"
#include "platform/text/font_match.h"

namespace platform::freetype {

inline constexpr int default_pixel_height = 12;
inline constexpr int max_pixel_height = 4096;

inline int ceil_pixels(FT_Pos value) { return static_cast<int>((value + 63) >> 6); }
inline int round_pixels(FT_Pos value) { return static_cast<int>((value + 32) >> 6); }

// A face of bitmaps has only the sizes it was drawn at: the one nearest to what was asked.
inline bool select_nearest_size(FT_Face face, FT_UInt em_pixels) {
  int nearest = -1;
  long nearest_distance = 0;
  for (int index = 0; index < face->num_fixed_sizes; ++index) {
    const long distance = std::labs(round_pixels(face->available_sizes[index].y_ppem) - static_cast<long>(em_pixels));
    if (nearest < 0 || distance < nearest_distance) {
      nearest = index;
      nearest_distance = distance;
    }
  }
  return nearest >= 0 && FT_Select_Size(face, nearest) == 0;
}

inline FT_Face open_face(FT_Library library, FontFileStream& stream, int index, const FontRequest& request) {
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
  // True once the font has looked for its face, found or not.
  bool tried() const { return tried_; }
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
  int ascent() const { return ascent_; }
  // The underline's and strike-out's thickness and first rows, counted from the cell's top.
  int line_thickness() const { return line_thickness_; }
  int underline_row() const { return underline_row_; }
  int strike_row() const { return strike_row_; }

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

}  // namespace platform::freetype
