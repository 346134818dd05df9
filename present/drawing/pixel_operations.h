#pragma once

#include "present/drawing/drawing_session.h"

namespace present {

// The operation set for an output of 3-byte (24-bit) or 4-byte (32-bit) pixels, or nullptr for
// any other pixel size. The 4-byte set writes the colour bytes and leaves each pixel's alpha byte.
const DrawingOperations* operations_for_pixel_size(int pixel_size);

}  // namespace present
