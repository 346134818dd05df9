#pragma once

#include <cstdint>

#include "platform/graphics/pixel.h"

namespace present {

// Red in bits 0 to 7, green in 8 to 15, blue in 16 to 23, alpha in 24 to 31.
using Colour = std::uint32_t;

// Components are added, not masked: they are expected in 0 to 255.
constexpr Colour make_rgb(int red, int green, int blue) {
  return static_cast<Colour>(red) + 256u * static_cast<Colour>(green) + 65536u * static_cast<Colour>(blue);
}

// The layer's colours reach the window system only through here: the same red, green and blue as
// the platform's 0x00RRGGBB pixel, the alpha byte dropped.
constexpr platform::Pixel to_pixel(Colour colour) {
  return platform::rgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

struct ColourComponents {
  int red = 0;
  int green = 0;
  int blue = 0;
  int alpha = 0;
  int inverse_alpha = 255;
};

constexpr ColourComponents unpack_colour(Colour colour) {
  const int alpha = static_cast<int>((colour >> 24) & 0xFF);
  return {static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
          static_cast<int>((colour >> 16) & 0xFF), alpha, 255 - alpha};
}

}  // namespace present
