#pragma once

#include <cstdint>

#include "platform/graphics/bitmap.h"
#include "present/object_number.h"

namespace present {

struct ImageRecord {
  platform::BitmapHandle handle = 0;
  std::int16_t width = 0;
  std::int16_t height = 0;
  std::uint8_t depth = 0;
};

// With depth 32 the pixels start opaque black; adding this flag to the depth starts them at 0.
inline constexpr int transparent_start = 0x100;

// Makes a black image under `number` and returns its bitmap handle (its number for
// `assign_number`), or 0. Depths below 24 are raised to 24; 24 and 32 are the depths there are.
std::intptr_t create_image(ObjectNumber number, int width, int height, int depth = 24);

// The bitmap handle of the image under `number`, or 0.
platform::BitmapHandle image_handle(ObjectNumber number);

}  // namespace present
