#include "platform/x11/pixel_format.h"

#include <bit>
#include <cstring>

namespace platform {
namespace {

// The 8-bit values of a channel as the bits of a mask: the nearest of the mask's levels, in place.
bool fill_channel(std::array<std::uint32_t, 256>& table, unsigned long mask) {
  if (mask == 0 || mask > 0xFFFFFFFFul) {
    return false;
  }
  const int shift = std::countr_zero(mask);
  const unsigned long levels = mask >> shift;
  if ((levels & (levels + 1)) != 0) {
    return false;  // not one run of bits
  }
  for (unsigned long value = 0; value < 256; ++value) {
    // Rounded to the nearest level; 255 is odd, so no value lies halfway between two.
    table[value] = static_cast<std::uint32_t>(((value * levels + 127) / 255) << shift);
  }
  return true;
}

}  // namespace

std::optional<PixelFormat> PixelFormat::true_colour(unsigned long red_mask, unsigned long green_mask,
                                                    unsigned long blue_mask, int bits_per_pixel,
                                                    bool most_significant_first) {
  PixelFormat format;
  if (bits_per_pixel != 16 && bits_per_pixel != 24 && bits_per_pixel != 32) {
    return std::nullopt;
  }
  if (!fill_channel(format.channels_[0], red_mask) || !fill_channel(format.channels_[1], green_mask) ||
      !fill_channel(format.channels_[2], blue_mask)) {
    return std::nullopt;
  }
  format.bytes_ = bits_per_pixel / 8;
  format.most_significant_first_ = most_significant_first;
  const bool host_order = most_significant_first == (std::endian::native == std::endian::big);
  format.surface_format_ = format.bytes_ == 4 && host_order && red_mask == 0xFF0000 && green_mask == 0xFF00 &&
                           blue_mask == 0xFF;
  return format;
}

void PixelFormat::convert(const Pixel* source, std::size_t source_stride, const Rect& area,
                          std::uint8_t* target, std::size_t target_stride) const {
  for (int y = area.top; y < area.bottom; ++y) {
    const Pixel* from = source + static_cast<std::size_t>(y) * source_stride;
    std::uint8_t* to = target + static_cast<std::size_t>(y) * target_stride + static_cast<std::size_t>(area.left) * bytes_;
    for (int x = area.left; x < area.right; ++x, to += bytes_) {
      const std::uint32_t pixel = pixel_of(from[x]);
      for (int byte = 0; byte < bytes_; ++byte) {
        const int shift = 8 * (most_significant_first_ ? bytes_ - 1 - byte : byte);
        to[byte] = static_cast<std::uint8_t>(pixel >> shift);
      }
    }
  }
}

}  // namespace platform
