#pragma once

#include "platform/graphics/bitmap.h"
#include "platform/graphics/handle_table.h"
#include "platform/graphics/scale.h"

namespace platform {

// What the graphics layer keeps for the whole process: the bitmaps handed out as handles, and the
// resolution that fonts sized in layout pixels are made for (see display_dpi).
struct GraphicsState {
  HandleTable<Bitmap> bitmaps;
  int dpi = ordinary_dpi;
};

GraphicsState& graphics_state();

// The resolution in dots per inch that fonts sized in layout pixels are made for, and that
// load_font reads: text_dpi(1), 96, whatever the desktop's, since such text is magnified with its
// window (scale.h). Tests set others to see how font sizes follow it.
int display_dpi();
void set_display_dpi(int dpi);

}  // namespace platform
