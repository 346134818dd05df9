#include <gtest/gtest.h>

#include <vector>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/paint_context.h"

namespace platform {
namespace {

constexpr std::uint32_t under = 0x102030;

// A surface of 20 x 12 device pixels: a window of 10 x 6 layout pixels at scale 2.
class ScaledPaintTest : public ::testing::Test {
 protected:
  ScaledPaintTest() : pixels(20 * 12, Pixel{under}), surface{{20, 12}, pixels.data(), 20} {}

  std::uint32_t at(int x, int y) const { return value_of(pixels[static_cast<std::size_t>(y) * 20 + static_cast<std::size_t>(x)]); }

  // The device pixels of a colour, as rows of '#' (that colour) and '.' (any other).
  std::vector<std::string> map_of(std::uint32_t colour) const {
    std::vector<std::string> rows;
    for (int y = 0; y < 12; ++y) {
      std::string row;
      for (int x = 0; x < 20; ++x) {
        row.push_back(at(x, y) == colour ? '#' : '.');
      }
      rows.push_back(row);
    }
    return rows;
  }

  std::vector<Pixel> pixels;
  Surface surface;
};

TEST_F(ScaledPaintTest, FillsCoverTheirLayoutPixelsBlocksCutToThePaintedArea) {
  PaintContext paint(surface, {1, 1}, Rect{0, 0, 3, 2}, 2);
  EXPECT_EQ(paint.scale(), 2);
  EXPECT_EQ(paint.clip(), (Rect{0, 0, 3, 2}));
  paint.fill({-1, 1, 9, 9}, Pixel{0xFF});
  EXPECT_EQ(map_of(0xFF), (std::vector<std::string>{
                              "....................", "....................", "....................",
                              "....................", "..######............", "..######............",
                              "....................", "....................", "....................",
                              "....................", "....................", "...................."}));
}

TEST_F(ScaledPaintTest, FramesAndFocusRingsAreOneDevicePixelWide) {
  PaintContext paint(surface, {0, 0}, Rect{0, 0, 10, 6}, 2);
  paint.frame({1, 1, 5, 4}, Pixel{0xAA});
  EXPECT_EQ(map_of(0xAA), (std::vector<std::string>{
                              "....................", "....................", "..########..........",
                              "..#......#..........", "..#......#..........", "..#......#..........",
                              "..#......#..........", "..########..........", "....................",
                              "....................", "....................", "...................."}));
  paint.dotted_frame({6, 0, 10, 3}, Pixel{0xBB});
  EXPECT_EQ(map_of(0xBB), (std::vector<std::string>{
                              "............#.#.#.#.", "...................#", "............#.......",
                              "...................#", "............#.......", ".............#.#.#.#",
                              "....................", "....................", "....................",
                              "....................", "....................", "...................."}));
}

TEST_F(ScaledPaintTest, BitmapPixelsBecomeSolidBlocks) {
  auto bitmap = Bitmap::make(3, 2, 24);  // bottom-up
  ASSERT_TRUE(bitmap);
  const std::uint8_t top_row[9] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09};
  const std::uint8_t bottom_row[9] = {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19};
  std::copy_n(top_row, 9, bitmap->row(0));
  std::copy_n(bottom_row, 9, bitmap->row(1));
  PaintContext paint(surface, {2, 1}, Rect{0, 0, 8, 5}, 2);
  paint.draw_bitmap(*bitmap, {1, 1});
  const std::uint32_t expected[2][3] = {{0x030201, 0x060504, 0x090807}, {0x131211, 0x161514, 0x191817}};
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 20; ++x) {
      // The bitmap's layout pixels are window x 1 to 3 and y 1 to 2: surface x 3 to 5 and y 2 to 3.
      const int column = x / 2 - 3;
      const int row = y / 2 - 2;
      const bool inside = column >= 0 && column < 3 && row >= 0 && row < 2;
      EXPECT_EQ(at(x, y), inside ? expected[row][column] : under) << x << ", " << y;
    }
  }
}

TEST_F(ScaledPaintTest, MagnifiedBitmapsAreCutToThePaintedArea) {
  auto bitmap = Bitmap::make(4, -3, 24);
  ASSERT_TRUE(bitmap);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) {
      std::uint8_t* pixel = bitmap->row(y) + 3 * x;
      pixel[0] = static_cast<std::uint8_t>(x);
      pixel[1] = static_cast<std::uint8_t>(y);
      pixel[2] = 0x80;
    }
  }
  // Only window x 2 to 3 and y 1 of the bitmap at (1, 0) is painted.
  PaintContext paint(surface, {0, 0}, Rect{2, 1, 4, 2}, 2);
  paint.draw_bitmap(*bitmap, {1, 0});
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 20; ++x) {
      const bool inside = x >= 4 && x < 8 && y >= 2 && y < 4;
      const std::uint32_t expected = inside ? 0x800000u | 1u << 8 | static_cast<std::uint32_t>(x / 2 - 1) : under;
      EXPECT_EQ(at(x, y), expected) << x << ", " << y;
    }
  }
}

TEST_F(ScaledPaintTest, ThirtyTwoBitPixelsAreBlendedOverEachDevicePixelUnderThem) {
  PaintContext paint(surface, {0, 0}, Rect{0, 0, 10, 6}, 2);
  // Under the bitmap's one pixel: a block whose device pixels differ.
  pixels[0] = Pixel{0x000000};
  pixels[1] = Pixel{0xFFFFFF};
  pixels[20] = Pixel{0x0000FF};
  pixels[21] = Pixel{0xFF0000};
  auto bitmap = Bitmap::make(1, 1, 32);
  ASSERT_TRUE(bitmap);
  const std::uint8_t half_green[4] = {0x00, 0xFF, 0x00, 128};
  std::copy_n(half_green, 4, bitmap->row(0));
  paint.draw_bitmap(*bitmap, {0, 0});
  const auto mix = [](std::uint32_t above, std::uint32_t below) { return (above * 128 + below * 127) / 255; };
  const auto blended = [&](std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return mix(0, red) << 16 | mix(255, green) << 8 | mix(0, blue);
  };
  EXPECT_EQ(at(0, 0), blended(0, 0, 0));
  EXPECT_EQ(at(1, 0), blended(255, 255, 255));
  EXPECT_EQ(at(0, 1), blended(0, 0, 255));
  EXPECT_EQ(at(1, 1), blended(255, 0, 0));
  EXPECT_EQ(at(2, 0), under);
  EXPECT_EQ(at(0, 2), under);
}

}  // namespace
}  // namespace platform
