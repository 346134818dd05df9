#include <gtest/gtest.h>

#include <vector>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/paint_context.h"

namespace platform {
namespace {

// Pictures made at the device's resolution (the desktop's button faces) land 1:1 on device
// pixels whatever the scale, cut to the area being painted.
TEST(DeviceBitmap, LandsPixelForPixelAtTheScaledOriginCutToThePaintedArea) {
  constexpr std::uint32_t under = 0x102030;
  std::vector<Pixel> pixels(20 * 12, Pixel{under});
  Surface surface{{20, 12}, pixels.data(), 20};
  const auto at = [&](int x, int y) { return value_of(pixels[static_cast<std::size_t>(y) * 20 + static_cast<std::size_t>(x)]); };

  // 5 x 3 device pixels, each its own colour: blue x, green y, red 0x80.
  auto picture = Bitmap::make(5, -3, 24);
  ASSERT_TRUE(picture);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      std::uint8_t* pixel = picture->row(y) + 3 * x;
      pixel[0] = static_cast<std::uint8_t>(x);
      pixel[1] = static_cast<std::uint8_t>(y);
      pixel[2] = 0x80;
    }
  }

  // A window whose inner area starts at layout (1, 0) of the surface, painted where x < 3.
  PaintContext paint(surface, {1, 0}, Rect{0, 0, 3, 6}, 2);
  paint.draw_device_bitmap(*picture, {1, 1});
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 20; ++x) {
      // The picture starts at device (2 + 2, 2) and the painted area ends at device column 8.
      const bool covered = x >= 4 && x < 8 && y >= 2 && y < 5;
      const std::uint32_t expected =
          covered ? 0x800000u | static_cast<std::uint32_t>(y - 2) << 8 | static_cast<std::uint32_t>(x - 4) : under;
      ASSERT_EQ(at(x, y), expected) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace platform
