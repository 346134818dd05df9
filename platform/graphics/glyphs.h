#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/graphics/bitmap.h"

namespace platform {

using FontHandle = std::intptr_t;

struct FontRequest {
  std::string face;
  int height = 0;  // negative: character height in pixels; positive: cell height; 0: a default size
  int weight = 400;
  bool italic = false;
  bool underline = false;
  bool strike_out = false;
  int quality = 0;
};

struct TextExtent {
  int width = 0;   // the sum of the characters' advances
  int height = 0;  // the line height: ascent plus descent
};

enum class StockFont { System, DefaultGui };

// Fonts are found by face name through fontconfig and drawn by FreeType (made and drawn by GDI
// in the Windows build). Texts are 8-bit ISO 8859-1. A font's face is found and loaded when the
// font is first measured or drawn; a font for which no installed face loads measures and draws
// nothing.
FontHandle create_font(const FontRequest& request);
// Stock fonts are shared and never deleted.
bool delete_font(FontHandle font);
// Made for the resolution of fonts sized in layout pixels (display_dpi).
FontHandle stock_font(StockFont which);
// Made for another resolution: for text the window system draws at the device's resolution.
FontHandle stock_font(StockFont which, int dpi);
const FontRequest* font_request(FontHandle font);

std::optional<TextExtent> measure_text(FontHandle font, std::string_view text);

// Writes the text white on an opaque black cell (its advance width by the line height) with the
// cell's top-left corner at (x, y) of a 24- or 32-bit bitmap, cut at the bitmap's edges. Glyph
// edges are grey where the desktop smooths fonts. Returns the cell's size, or nothing when the
// font does not exist.
std::optional<TextExtent> write_text(FontHandle font, std::string_view text, Bitmap& target, int x, int y);

// A font that could not be had as asked: the face and size in pixels asked for, and the face and
// size drawn instead (a face of bitmaps at its nearest size), or no face (empty) when none could
// be loaded at all and the font's texts are left out.
struct FontFallback {
  std::string asked;
  int asked_pixels = 0;
  std::string used;
  int used_pixels = 0;
};
using FontReport = std::function<void(const FontFallback&)>;
// Whom to tell, once a run, of the first font that falls back.
void set_font_report(FontReport report);

// Gives back every font, the stock fonts among them, and what was read to find them; fonts made
// afterwards are found afresh (the desktop's font configuration is read again).
void end_glyphs();

// Calls paint(x, y, coverage) for every pixel the glyphs of the text cover, the text's cell set
// with its top-left corner at (x, y). For drawing text in colour onto other surfaces.
void trace_text(FontHandle font, std::string_view text, int x, int y,
                const std::function<void(int x, int y, std::uint8_t coverage)>& paint);

}  // namespace platform
