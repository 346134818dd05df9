#include <gtest/gtest.h>

#include <vector>

#include "platform/graphics/scale.h"
#include "platform/x11/pixel_format.h"

namespace platform {
namespace {

TEST(ScaleRule, TheDesktopsResolutionGivesAWholeNumberScale) {
  for (const auto& [dpi, scale] : {std::pair{24, 1}, {72, 1}, {96, 1}, {120, 1}, {143, 1}, {144, 2}, {168, 2},
                                   {192, 2}, {239, 2}, {240, 3}, {288, 3}, {335, 3}, {336, 4}, {384, 4}}) {
    EXPECT_EQ(scale_for_dpi(dpi), scale) << dpi;
  }
}

TEST(ScaleRule, AWindowTakesTheLargestScaleThatFitsTheMonitorDownToOne) {
  const Size layout{1044, 350};
  const FrameExtents frame{4, 4, 30, 4};
  EXPECT_EQ(fitting_scale(192, layout, frame, {3840, 2160}), 2);
  // 2088 + 8 by 700 + 34 fits exactly; one pixel less on either axis does not.
  EXPECT_EQ(fitting_scale(192, layout, frame, {2096, 734}), 2);
  EXPECT_EQ(fitting_scale(192, layout, frame, {2095, 734}), 1);
  EXPECT_EQ(fitting_scale(192, layout, frame, {2096, 733}), 1);
  EXPECT_EQ(fitting_scale(192, layout, frame, {1920, 1080}), 1);
  EXPECT_EQ(fitting_scale(288, layout, frame, {3840, 2160}), 3);
  EXPECT_EQ(fitting_scale(288, layout, frame, {2560, 1440}), 2);
  EXPECT_EQ(fitting_scale(96, layout, frame, {800, 600}), 1);
  EXPECT_EQ(fitting_scale(288, layout, frame, {800, 600}), 1);
}

TEST(ScaleRule, TextsAreMadeFor96DpiTimesTheWindowsScale) {
  for (const auto& [scale, dpi] : {std::pair{1, 96}, {2, 192}, {3, 288}, {4, 384}}) {
    EXPECT_EQ(text_dpi(scale), dpi) << scale;
  }
}

TEST(ScaleRule, DevicePixelsMapToTheLayoutPixelHoldingThem) {
  EXPECT_EQ(scaled(Rect{10, 20, 30, 45}, 2), (Rect{20, 40, 60, 90}));
  EXPECT_EQ(scaled(Rect{10, 20, 30, 45}, 1), (Rect{10, 20, 30, 45}));
  EXPECT_EQ(unscaled(0, 2), 0);
  EXPECT_EQ(unscaled(1, 2), 0);
  EXPECT_EQ(unscaled(2, 2), 1);
  EXPECT_EQ(unscaled(2039, 2), 1019);
  EXPECT_EQ(unscaled(8, 3), 2);
  EXPECT_EQ(unscaled(-1, 2), -1);
  EXPECT_EQ(unscaled(-2, 2), -1);
  EXPECT_EQ(unscaled(-3, 2), -2);
  EXPECT_EQ(unscaled(-1, 1), -1);
}

// The bytes of one converted pixel.
std::vector<std::uint8_t> converted(const PixelFormat& format, Pixel colour) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(format.bytes_per_pixel()), 0xEE);
  format.convert(&colour, 1, Rect{0, 0, 1, 1}, bytes.data(), bytes.size());
  return bytes;
}

TEST(PixelFormat, SixteenAndFifteenBitVisualsGetTheNearestLevels) {
  const auto rgb565 = PixelFormat::true_colour(0xF800, 0x07E0, 0x001F, 16, false);
  ASSERT_TRUE(rgb565);
  EXPECT_FALSE(rgb565->is_surface_format());
  EXPECT_EQ(rgb565->bytes_per_pixel(), 2);
  // 200 * 31 / 255 = 24.3, 100 * 63 / 255 = 24.7, 150 * 31 / 255 = 18.2.
  EXPECT_EQ(rgb565->pixel_of(Pixel{0xC86496}), (24u << 11) | (25u << 5) | 18u);
  EXPECT_EQ(rgb565->pixel_of(Pixel{0xFFFFFF}), 0xFFFFu);
  EXPECT_EQ(rgb565->pixel_of(Pixel{0x000000}), 0u);
  EXPECT_EQ(rgb565->pixel_of(Pixel{0xFF0000}), 0xF800u);
  // 4 * 31 / 255 = 0.49 rounds down, 5 * 31 / 255 = 0.61 up.
  EXPECT_EQ(rgb565->pixel_of(Pixel{0x040000}), 0u);
  EXPECT_EQ(rgb565->pixel_of(Pixel{0x050000}), 1u << 11);
  const std::uint32_t value = (24u << 11) | (25u << 5) | 18u;
  EXPECT_EQ(converted(*rgb565, Pixel{0xC86496}), (std::vector<std::uint8_t>{value & 0xFF, value >> 8}));

  const auto rgb555 = PixelFormat::true_colour(0x7C00, 0x03E0, 0x001F, 16, false);
  ASSERT_TRUE(rgb555);
  EXPECT_EQ(rgb555->pixel_of(Pixel{0xC86496}), (24u << 10) | (12u << 5) | 18u);
  const auto big_endian = PixelFormat::true_colour(0xF800, 0x07E0, 0x001F, 16, true);
  ASSERT_TRUE(big_endian);
  EXPECT_EQ(converted(*big_endian, Pixel{0xC86496}), (std::vector<std::uint8_t>{value >> 8, value & 0xFF}));
}

TEST(PixelFormat, ThirtyBitVisualsSpreadEachChannelOverTenBits) {
  const auto format = PixelFormat::true_colour(0x3FF00000, 0x000FFC00, 0x000003FF, 32, false);
  ASSERT_TRUE(format);
  EXPECT_FALSE(format->is_surface_format());
  // 200 * 1023 / 255 = 802.4, 100 * 1023 / 255 = 401.2, 43 * 1023 / 255 = 172.5
  EXPECT_EQ(format->pixel_of(Pixel{0xC8642B}), (802u << 20) | (401u << 10) | 173u);
  EXPECT_EQ(format->pixel_of(Pixel{0xFFFFFF}), 0x3FFFFFFFu);
  const std::uint32_t value = (802u << 20) | (401u << 10) | 173u;
  EXPECT_EQ(converted(*format, Pixel{0xC8642B}), (std::vector<std::uint8_t>{value & 0xFF, (value >> 8) & 0xFF,
                                                                      (value >> 16) & 0xFF, value >> 24}));
}

TEST(PixelFormat, TwentyFourBitVisualsAreTheSurfaceOnlyInItsOwnOrder) {
  const auto native = PixelFormat::true_colour(0xFF0000, 0xFF00, 0xFF, 32, false);
  ASSERT_TRUE(native);
  EXPECT_TRUE(native->is_surface_format());
  EXPECT_EQ(native->pixel_of(Pixel{0x123456}), 0x123456u);

  const auto swapped = PixelFormat::true_colour(0xFF, 0xFF00, 0xFF0000, 32, false);
  ASSERT_TRUE(swapped);
  EXPECT_FALSE(swapped->is_surface_format());
  EXPECT_EQ(swapped->pixel_of(Pixel{0x123456}), 0x563412u);

  const auto packed = PixelFormat::true_colour(0xFF0000, 0xFF00, 0xFF, 24, false);
  ASSERT_TRUE(packed);
  EXPECT_FALSE(packed->is_surface_format());
  EXPECT_EQ(converted(*packed, Pixel{0x123456}), (std::vector<std::uint8_t>{0x56, 0x34, 0x12}));
}

TEST(PixelFormat, AnAreaIsConvertedInPlaceAndNothingAroundIt) {
  const auto format = PixelFormat::true_colour(0xF800, 0x07E0, 0x001F, 16, false);
  ASSERT_TRUE(format);
  const std::vector<Pixel> source = {Pixel{0xFFFFFF}, Pixel{0xFF0000}, Pixel{0x00FF00}, Pixel{0x0000FF}, Pixel{0x000000}, Pixel{0xFFFFFF}};
  std::vector<std::uint8_t> target(12, 0xEE);  // 3 x 2 pixels, rows of 6 bytes
  format->convert(source.data(), 3, Rect{1, 0, 3, 2}, target.data(), 6);
  EXPECT_EQ(target, (std::vector<std::uint8_t>{0xEE, 0xEE, 0x00, 0xF8, 0xE0, 0x07,  //
                                               0xEE, 0xEE, 0x00, 0x00, 0xFF, 0xFF}));
}

TEST(PixelFormat, OtherLayoutsAreRefused) {
  EXPECT_FALSE(PixelFormat::true_colour(0xF800, 0x07E0, 0x001F, 8, false));
  EXPECT_FALSE(PixelFormat::true_colour(0xE0, 0x1C, 0x03, 8, false));
  EXPECT_FALSE(PixelFormat::true_colour(0xF00F00, 0x0FF000, 0x0000FF, 32, false));  // red in two pieces
  EXPECT_FALSE(PixelFormat::true_colour(0, 0xFF00, 0xFF, 32, false));
}

}  // namespace
}  // namespace platform
