#pragma once

#include <string_view>

#include "platform/graphics/glyphs.h"
#include "present/drawing/colour.h"

namespace present {

// Stands for the system's stock font in set_drawing_font.
inline constexpr platform::FontHandle stock_system_font = -1;

// Selects the font for the texts of the current session. A handle of 0, or one that names no
// font, selects nothing. The session's text buffer is made taller when the font needs it.
void set_drawing_font(platform::FontHandle font);

// A session that ends hands its text buffer over for the next session to use; the layer drops
// it when it ends.
void keep_text_buffer(platform::BitmapHandle buffer);
void drop_kept_text_buffer();

// Draws the text with its cell's top-left corner at (x, y): the glyphs in `colour` on the
// session's back colour, the whole cell opaque, cut at the image's edges. Returns the x just right
// of the text, or x when nothing is drawn.
int draw_text(int x, int y, std::string_view text, Colour colour);

}  // namespace present
