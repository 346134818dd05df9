#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/graphics/geometry.h"
#include "platform/graphics/pixel.h"

namespace platform {

// How the pixels of a true-colour X visual are stored, and the conversion of the window system's
// 0x00RRGGBB pixels into them: 15, 16, 24, 30 or 32 bits of depth in 2, 3 or 4 bytes a pixel.
class PixelFormat {
 public:
  // Nothing when a mask is empty or not one run of bits, or the pixel size is not 16, 24 or 32 bits.
  static std::optional<PixelFormat> true_colour(unsigned long red_mask, unsigned long green_mask,
                                                unsigned long blue_mask, int bits_per_pixel, bool most_significant_first);

  // The window system's own 0x00RRGGBB in 32 bits of this machine's byte order: a surface can be
  // handed to the server as it is, with no conversion.
  bool is_surface_format() const { return surface_format_; }
  int bytes_per_pixel() const { return bytes_; }

  // The pixel value that shows a colour: each channel the nearest that the visual's bits can show.
  std::uint32_t pixel_of(Pixel colour) const {
    return channels_[0][red_of(colour)] | channels_[1][green_of(colour)] | channels_[2][blue_of(colour)];
  }

  // Writes an area of 0x00RRGGBB pixels into an image of this format; both have the area at the
  // same place. Strides: the source's in pixels, the target's in bytes.
  void convert(const Pixel* source, std::size_t source_stride, const Rect& area, std::uint8_t* target,
               std::size_t target_stride) const;

 private:
  std::array<std::array<std::uint32_t, 256>, 3> channels_{};  // red, green, blue: 8-bit value to its bits
  int bytes_ = 4;
  bool most_significant_first_ = false;
  bool surface_format_ = false;
};

}  // namespace platform
