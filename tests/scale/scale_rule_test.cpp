#include <gtest/gtest.h>

#include <vector>

#include "platform/scale.h"

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

TEST(ScaleRule, FontsInLayoutPixelsKeepTheir96DpiSizeWhenScaled) {
  for (const auto& [dpi, layout] : {std::pair{72, 72}, {96, 96}, {120, 120}, {143, 143}, {144, 96}, {192, 96},
                                    {200, 100}, {240, 96}, {288, 96}, {300, 100}}) {
    EXPECT_EQ(layout_dpi(dpi), layout) << dpi;
  }
}

TEST(ScaleRule, CaptionsAtDeviceResolutionNeverOutgrowThe96DpiCaptionTimesTheScale) {
  EXPECT_EQ(device_text_dpi(96, 1), 96);
  EXPECT_EQ(device_text_dpi(72, 1), 72);
  EXPECT_EQ(device_text_dpi(120, 1), 96);
  EXPECT_EQ(device_text_dpi(144, 1), 96);  // a monitor too small for scale 2
  EXPECT_EQ(device_text_dpi(144, 2), 144);
  EXPECT_EQ(device_text_dpi(192, 2), 192);
  EXPECT_EQ(device_text_dpi(240, 3), 240);
  EXPECT_EQ(device_text_dpi(288, 3), 288);
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

}  // namespace
}  // namespace platform
