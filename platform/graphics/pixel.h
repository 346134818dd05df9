#pragma once

#include <cstdint>

namespace platform {

// The one colour value of the window system: 0x00RRGGBB. It is how a 32-bit bitmap pixel's blue,
// green, red and alpha bytes read as one little-endian word (alpha on top), and how the display
// takes the pixels of a window's surface.
using Pixel = std::uint32_t;

constexpr Pixel rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  return (red & 0xFF) << 16 | (green & 0xFF) << 8 | (blue & 0xFF);
}

// Lays `over` on `under` with `weight` (0 to 255) parts of 255: each channel becomes
// (over x weight + under x (255 - weight)) / 255, truncated. Bits above the three channels are
// ignored and come out 0. Glyph edges, text cells and alpha pixels all blend through here.
constexpr Pixel blend(Pixel over, Pixel under, std::uint32_t weight) {
  Pixel mixed = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const std::uint32_t top = (over >> shift) & 0xFF;
    const std::uint32_t bottom = (under >> shift) & 0xFF;
    mixed |= ((top * weight + bottom * (255 - weight)) / 255) << shift;
  }
  return mixed;
}

}  // namespace platform
