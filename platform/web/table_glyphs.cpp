// The glyph interface in the browser, from the glyphs rendered while the program was built
// (glyph_table.h). Every face asked for is the table's, at the table's size nearest to the one
// asked for; a character the table lacks is drawn as nothing and takes no room.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/graphics/coverage_block.h"
#include "platform/graphics/graphics_state.h"
#include "platform/graphics/glyphs.h"
#include "platform/graphics/handle_table.h"
#include "platform/web/glyph_table.h"

namespace platform {
namespace {

using web::glyph_table;
using web::TableGlyph;
using web::TableSize;

constexpr int default_pixel_height = 12;

// The em height in pixels a request asks for, found as FreeType finds it for a scalable face.
int em_pixels(const FontRequest& request) {
  if (request.height < 0) {
    return static_cast<int>(std::min(-long{request.height}, long{std::numeric_limits<int>::max()}));
  }
  if (request.height > 0) {
    return static_cast<int>(std::max<long>(
        1, std::lround(double(request.height) * glyph_table.units_per_em / glyph_table.cell_units)));
  }
  return default_pixel_height;
}

const TableSize& nearest_size(int pixels) {
  const TableSize* nearest = &glyph_table.sizes.front();
  for (const TableSize& size : glyph_table.sizes) {
    if (std::labs(long{size.pixels} - pixels) < std::labs(long{nearest->pixels} - pixels)) {
      nearest = &size;
    }
  }
  return *nearest;
}

class TableFont {
 public:
  explicit TableFont(const FontRequest& request) : request_(request), size_(nearest_size(em_pixels(request))) {}

  const FontRequest& request() const { return request_; }
  // Set when the table has not the size asked for.
  std::optional<FontFallback> fallback() const {
    const int asked = em_pixels(request_);
    if (size_.pixels == asked) {
      return std::nullopt;
    }
    return FontFallback{request_.face, asked, glyph_table.family, size_.pixels};
  }
  // True the first time only.
  bool first_use() { return !std::exchange(used_, true); }

  TextExtent measure(std::string_view text) const {
    TextExtent extent{0, size_.ascent + size_.descent};
    for (const char character : text) {
      if (const TableGlyph* shape = glyph(character)) {
        extent.width += shape->advance;
      }
    }
    return extent;
  }

  // Calls paint(block) for every glyph of the text set with its cell's top-left corner at (x, y),
  // then for the underline and strike-out rules.
  template <typename Paint>
  void trace(std::string_view text, int x, int y, Paint paint) const {
    long pen = x;
    for (const char character : text) {
      const TableGlyph* shape = glyph(character);
      if (shape == nullptr) {
        continue;
      }
      paint(CoverageBlock{pen + shape->left, long{y} + size_.ascent - shape->top, shape->width, shape->rows,
                          glyph_table.coverage + shape->offset, shape->width});
      pen += shape->advance;
    }
    if (!request_.underline && !request_.strike_out) {
      return;
    }
    const std::vector<std::uint8_t> solid(static_cast<std::size_t>(std::max(pen - x, 0L)), 255);
    const auto rule = [&](int row) {
      paint(CoverageBlock{x, y + row, pen - x, size_.line_thickness, solid.data(), 0});
    };
    if (request_.underline) {
      rule(std::min(size_.underline_row, size_.ascent + size_.descent - size_.line_thickness));
    }
    if (request_.strike_out) {
      rule(size_.strike_row);
    }
  }

 private:
  const TableGlyph* glyph(char character) const {
    const auto code = static_cast<unsigned char>(character);
    const auto found = std::lower_bound(size_.glyphs.begin(), size_.glyphs.end(), code,
                                        [](const TableGlyph& entry, unsigned char wanted) { return entry.character < wanted; });
    return found != size_.glyphs.end() && found->character == code ? &*found : nullptr;
  }

  FontRequest request_;
  const TableSize& size_;
  bool used_ = false;
};

// Every font the program has made and the stock fonts; made when the first font is, ended with
// the window system.
struct GlyphSystem {
  FontTable<TableFont> fonts;  // the stock fonts by kind and pixel height: one for each resolution asked for
  FontReport report;  // the program's: it words what is told
  bool fallback_reported = false;
};

GlyphSystem& glyph_system() { return ProcessState<GlyphSystem>::get(); }

// The font, or nullptr; the program is told once, for the first font whose size the table lacks,
// what it asked and got.
TableFont* used_font(FontHandle handle) {
  GlyphSystem& system = glyph_system();
  TableFont* found = system.fonts.find(handle);
  if (found != nullptr && found->first_use() && !system.fallback_reported) {
    if (const std::optional<FontFallback> fallback = found->fallback()) {
      system.fallback_reported = true;
      if (system.report) {
        system.report(*fallback);
      }
    }
  }
  return found;
}

}  // namespace

void set_font_report(FontReport report) { glyph_system().report = std::move(report); }

void end_glyphs() { ProcessState<GlyphSystem>::end(); }

FontHandle create_font(const FontRequest& request) {
  return glyph_system().fonts.add(std::make_unique<TableFont>(request));
}

bool delete_font(FontHandle font) { return glyph_system().fonts.remove(font); }

FontHandle stock_font(StockFont which) { return stock_font(which, display_dpi()); }

FontHandle stock_font(StockFont which, int dpi) {
  const FontRequest request = stock_font_request(which, dpi);
  FontHandle& handle = glyph_system().fonts.stock(which, request.height);
  if (handle == 0) {
    handle = create_font(request);
  }
  return handle;
}

const FontRequest* font_request(FontHandle font) {
  const TableFont* found = glyph_system().fonts.find(font);
  return found != nullptr ? &found->request() : nullptr;
}

std::optional<TextExtent> measure_text(FontHandle font, std::string_view text) {
  const TableFont* found = used_font(font);
  if (found == nullptr) {
    return std::nullopt;
  }
  return found->measure(text);
}

std::optional<TextExtent> write_text(FontHandle font, std::string_view text, Bitmap& target, int x, int y) {
  const TableFont* found = used_font(font);
  if (found == nullptr) {
    return std::nullopt;
  }
  const TextExtent cell = found->measure(text);
  clear_cell(target, x, y, cell);
  found->trace(text, x, y, [&](const CoverageBlock& block) { write_block(target, block); });
  return cell;
}

void trace_text(FontHandle font, std::string_view text, int x, int y,
                const std::function<void(int x, int y, std::uint8_t coverage)>& paint) {
  const TableFont* found = used_font(font);
  if (found == nullptr) {
    return;
  }
  found->trace(text, x, y, [&](const CoverageBlock& block) { trace_block(block, paint); });
}

}  // namespace platform
