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

}  // namespace platform
