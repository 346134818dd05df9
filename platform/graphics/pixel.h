#pragma once

#include <cstdint>

namespace platform {

// The one colour value of the window system: 0x00RRGGBB. It is how a 32-bit bitmap pixel's blue,
// green, red and alpha bytes read as one little-endian word (alpha on top), and how the display
// takes the pixels of a window's surface. A type of its own, so that the compiler tells it from
// the presentation layer's colours, whose red is in the low byte.
enum class Pixel : std::uint32_t {};

constexpr std::uint32_t value_of(Pixel pixel) { return static_cast<std::uint32_t>(pixel); }
constexpr std::uint32_t red_of(Pixel pixel) { return value_of(pixel) >> 16 & 0xFF; }
constexpr std::uint32_t green_of(Pixel pixel) { return value_of(pixel) >> 8 & 0xFF; }
constexpr std::uint32_t blue_of(Pixel pixel) { return value_of(pixel) & 0xFF; }

constexpr Pixel rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  return Pixel{(red & 0xFF) << 16 | (green & 0xFF) << 8 | (blue & 0xFF)};
}

// Lays `over` on `under` with `weight` (0 to 255) parts of 255: each channel becomes
// (over x weight + under x (255 - weight)) / 255, truncated. Bits above the three channels are
// ignored and come out 0. Glyph edges, text cells and alpha pixels all blend through here.
constexpr Pixel blend(Pixel over, Pixel under, std::uint32_t weight) {
  std::uint32_t mixed = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const std::uint32_t top = (value_of(over) >> shift) & 0xFF;
    const std::uint32_t bottom = (value_of(under) >> shift) & 0xFF;
    mixed |= ((top * weight + bottom * (255 - weight)) / 255) << shift;
  }
  return Pixel{mixed};
}

}  // namespace platform
