#pragma once

#include <cstddef>

#include "platform/graphics/geometry.h"
#include "platform/graphics/pixel.h"

namespace platform {

// The pixels of a top-level window's inner area at the device's resolution, rows top-down: all
// its rows, or a band of them that the window system paints the area through, band by band.
struct Surface {
  Size size;
  Pixel* pixels = nullptr;  // owned by the display, which may share it with the server
  std::size_t stride = 0;   // in pixels
  int top = 0;              // the inner area's device row that the first row holds
};

}  // namespace platform
