#include "platform/graphics/glyphs.h"

#include <cmath>
#include <memory>
#include <utility>

#include "platform/graphics/coverage_block.h"
#include "platform/graphics/graphics_state.h"
#include "platform/graphics/handle_table.h"
#include "platform/text/font_match.h"
#include "platform/text/freetype_font.h"

namespace platform {
namespace {

using freetype::Font;

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
    fonts = FontTable<Font>();
    if (library != nullptr) {
      FT_Done_FreeType(library);
    }
  }
  GlyphSystem(const GlyphSystem&) = delete;
  GlyphSystem& operator=(const GlyphSystem&) = delete;

  FontConfiguration configuration;
  FT_Library library = nullptr;
  FontTable<Font> fonts;  // the stock fonts by kind and pixel height: one for each resolution asked for
  FontReport report;  // the program's: it words what is told
  bool fallback_reported = false;
};

GlyphSystem& glyph_system() { return ProcessState<GlyphSystem>::get(); }

// The font with its face loaded, or nullptr. Without any font the program still runs, without
// text; the program is told once, for the first font that falls back, what it asked and got.
Font* loaded_font(FontHandle handle) {
  GlyphSystem& system = glyph_system();
  Font* found = system.fonts.find(handle);
  if (found == nullptr) {
    return nullptr;
  }
  // Only the first use finds the face: only then can the font have fallen back.
  const bool first_use = !found->tried();
  const bool loaded = found->load(system.library, system.configuration);
  if (first_use && !system.fallback_reported) {
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
  if (ProcessState<GlyphSystem>::made()) {
    ProcessState<GlyphSystem>::end();
    end_fontconfig();
  }
}

FontHandle create_font(const FontRequest& request) {
  return glyph_system().fonts.add(std::make_unique<Font>(request));
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
  const TextExtent cell = found->measure(text);
  clear_cell(target, x, y, cell);
  found->trace(text, x, y, [&](const CoverageBlock& block) { write_block(target, block); });
  return cell;
}

void trace_text(FontHandle font, std::string_view text, int x, int y,
                const std::function<void(int x, int y, std::uint8_t coverage)>& paint) {
  Font* found = loaded_font(font);
  if (found == nullptr) {
    return;
  }
  found->trace(text, x, y, [&](const CoverageBlock& block) { trace_block(block, paint); });
}

}  // namespace platform
