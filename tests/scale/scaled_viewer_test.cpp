#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <optional>
#include <vector>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/graphics_state.h"
#include "platform/graphics/glyphs.h"
#include "platform/graphics/scale.h"
#include "platform/headless/backend.h"
#include "platform/window_system/window_system.h"
#include "present/events.h"
#include "present/fonts.h"
#include "present/drawing/images.h"
#include "present/layer.h"
#include "viewer/viewer.h"

namespace viewer {
namespace {

using platform::MouseButton;
using platform::Point;
using platform::Rect;
using platform::Size;

constexpr platform::FrameExtents frame = platform::HeadlessDisplay::default_frame;

// What a caption put into its button: the box around the pixels that differ from the button's
// face, and whether the frame kept its colour all round.
struct CaptionInk {
  Rect box;
  bool frame_whole = true;
  // Some block of scale x scale device pixels, aligned as layout pixels are, is not of one colour:
  // the caption was drawn at the device's resolution, not magnified.
  bool finer_than_blocks = false;
};

// The whole program on a headless screen of a chosen size and resolution.
class ScaledViewerTest : public ::testing::Test {
 protected:
  void start(Size screen, int dpi) {
    auto headless = std::make_unique<platform::HeadlessDisplay>(screen, frame, dpi);
    display = headless.get();
    platform::start_window_system(std::move(headless));
    ASSERT_TRUE(start_viewer(state));
    drain();
  }
  void TearDown() override { stop(); }
  void stop() {
    if (display != nullptr) {
      shut_down_viewer(state);
      platform::stop_window_system();
      display = nullptr;
    }
  }

  platform::WindowNode& window() { return *present::layer()->windows.find(0)->handle; }

  // Takes every event there is now and hands it to the viewer, as its loop does; the control of the
  // last control event.
  std::optional<present::ObjectNumber> drain() {
    std::optional<present::ObjectNumber> control;
    for (int guard = 0; guard < 1000; ++guard) {
      const std::int32_t code = present::wait_event(std::chrono::milliseconds(0));
      if (code == 0) {
        break;
      }
      if (code == present::ControlEvent) {
        control = present::event_control();
      }
      handle_event(state, code);
    }
    return control;
  }

  // A click at a device pixel of the window's inner area; the control it reached.
  std::optional<present::ObjectNumber> click_at(Point device) {
    display->wait_ms(1000);
    display->click(MouseButton::Left, {window().bounds().left + device.x, window().bounds().top + device.y});
    return drain();
  }

  Point outer_origin() { return display->outer_origin(window()); }

  // Every device pixel of the window's inner area, row by row.
  std::vector<platform::Pixel> inner_pixels() {
    const platform::WindowNode& top = window();
    std::vector<platform::Pixel> pixels;
    for (int y = 0; y < top.device_size().height; ++y) {
      for (int x = 0; x < top.device_size().width; ++x) {
        pixels.push_back(display->device_pixel(top, {x, y}));
      }
    }
    return pixels;
  }

  // Every canvas pixel is a solid block of scale x scale device pixels at the picture's place.
  ::testing::AssertionResult picture_shows_canvas_in_blocks() {
    const platform::WindowNode& top = window();
    const int scale = top.scale();
    const platform::Bitmap& canvas = *platform::find_bitmap(present::image_handle(0));
    for (int y = 0; y < 300; ++y) {
      for (int x = 0; x < 1024; ++x) {
        const std::uint8_t* bytes = canvas.row(y) + 3 * x;
        const std::uint32_t expected = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16;
        for (int dy = 0; dy < scale; ++dy) {
          for (int dx = 0; dx < scale; ++dx) {
            const Point device{(10 + x) * scale + dx, (10 + y) * scale + dy};
            if (display->device_pixel(top, device) != platform::Pixel{expected}) {
              return ::testing::AssertionFailure() << "canvas pixel (" << x << ", " << y << ") at device (" << device.x
                                                   << ", " << device.y << ")";
            }
          }
        }
      }
    }
    return ::testing::AssertionSuccess();
  }

  CaptionInk caption_ink(present::ObjectNumber button) {
    const platform::WindowNode& top = window();
    const int scale = top.scale();
    const Rect area = platform::scaled(platform::child_with_id(window(), button)->bounds(), scale);
    const auto at = [&](int x, int y) { return display->device_pixel(top, {area.left + x, area.top + y}); };
    CaptionInk ink;
    const platform::Pixel frame_colour = at(0, 0);
    for (int x = 0; x < area.width(); ++x) {
      ink.frame_whole = ink.frame_whole && at(x, 0) == frame_colour && at(x, area.height() - 1) == frame_colour;
    }
    for (int y = 0; y < area.height(); ++y) {
      ink.frame_whole = ink.frame_whole && at(0, y) == frame_colour && at(area.width() - 1, y) == frame_colour;
    }
    // Left of any caption, inside the frame.
    const platform::Pixel face = at(1, area.height() / 2);
    for (int y = 1; y < area.height() - 1; ++y) {
      for (int x = 1; x < area.width() - 1; ++x) {
        if (at(x, y) != face) {
          ink.box = ink.box.united(Rect{x, y, x + 1, y + 1});
        }
      }
    }
    for (int y = 0; y + scale <= area.height() && scale > 1; y += scale) {
      for (int x = 0; x + scale <= area.width(); x += scale) {
        for (int dy = 0; dy < scale; ++dy) {
          for (int dx = 0; dx < scale; ++dx) {
            ink.finer_than_blocks = ink.finer_than_blocks || at(x + dx, y + dy) != at(x, y);
          }
        }
      }
    }
    return ink;
  }

  platform::HeadlessDisplay* display = nullptr;
  ViewerState state;
};

TEST_F(ScaledViewerTest, At192DpiTheWindowIsTwiceAsLargeAndThePictureShowsTheCanvasInBlocks) {
  start({3840, 2160}, 192);
  EXPECT_EQ(window().scale(), 2);
  EXPECT_EQ(window().bounds().size(), (Size{1044, 350}));
  EXPECT_EQ(window().device_size(), (Size{2088, 700}));
  EXPECT_EQ(display->outer_size(window()), (Size{2096, 734}));
  EXPECT_EQ(outer_origin(), (Point{(3840 - 2096) / 2, (2160 - 734) / 2}));
  EXPECT_TRUE(picture_shows_canvas_in_blocks());
  // Around the picture, the window's background.
  const platform::Pixel background = platform::system_colour(platform::SystemColour::ButtonFace);
  EXPECT_EQ(display->device_pixel(window(), {19, 19}), background);
  EXPECT_EQ(display->device_pixel(window(), {2068, 20}), background);
  EXPECT_EQ(display->device_pixel(window(), {20, 620}), background);
  // The labels are made for 96 dpi: the 8-point font is 11 pixels high, as on an ordinary desktop.
  EXPECT_EQ(platform::display_dpi(), 96);
  EXPECT_EQ(platform::font_request(present::font_handle(state.font))->height, -11);
}

TEST_F(ScaledViewerTest, ClicksAtDevicePixelsReachTheButtonOverThem) {
  start({3840, 2160}, 192);
  // "Next" covers layout x 950 to 1019 and y 320 to 344: device 1900 to 2039 and 640 to 689.
  EXPECT_EQ(click_at({1900, 640}), 2);
  EXPECT_EQ(state.current_page, 1);
  EXPECT_EQ(click_at({2039, 689}), 2);
  EXPECT_EQ(state.current_page, 2);
  EXPECT_EQ(click_at({2040, 660}), std::nullopt);
  EXPECT_EQ(click_at({1899, 660}), std::nullopt);
  EXPECT_EQ(click_at({1960, 690}), std::nullopt);
  EXPECT_EQ(click_at({1960, 639}), std::nullopt);
  EXPECT_EQ(state.current_page, 2);
  // "Previous": layout x 870 to 939.
  EXPECT_EQ(click_at({1740, 640}), 1);
  EXPECT_EQ(click_at({1879, 689}), 1);
  EXPECT_EQ(state.current_page, 0);
  EXPECT_EQ(click_at({1880, 660}), std::nullopt);
  EXPECT_EQ(click_at({1960, 660}), 2);
  EXPECT_EQ(state.current_page, 1);
  EXPECT_TRUE(picture_shows_canvas_in_blocks());
}

TEST_F(ScaledViewerTest, CaptionsAreDrawnAtDeviceResolutionAndFitTheirButtons) {
  struct Case {
    Size screen;
    int dpi;
    int scale;
  };
  std::optional<int> height_at_96;
  for (const Case& setting : {Case{{1920, 1080}, 96, 1}, Case{{1920, 1080}, 120, 1}, Case{{1920, 1080}, 144, 1},
                              Case{{1920, 1080}, 192, 1}, Case{{3840, 2160}, 144, 2}, Case{{3840, 2160}, 192, 2},
                              Case{{3840, 2160}, 288, 3}}) {
    SCOPED_TRACE(::testing::Message() << setting.dpi << " dpi on " << setting.screen.width);
    start(setting.screen, setting.dpi);
    ASSERT_EQ(window().scale(), setting.scale);
    for (const present::ObjectNumber button : {1, 2}) {
      const CaptionInk ink = caption_ink(button);
      const Size device{70 * setting.scale, 25 * setting.scale};
      EXPECT_TRUE(ink.frame_whole) << button;
      EXPECT_FALSE(ink.box.empty()) << button;
      // Whole, and clear of the frame by at least one device pixel all round.
      EXPECT_GE(ink.box.left, 2) << button;
      EXPECT_GE(ink.box.top, 2) << button;
      EXPECT_LE(ink.box.right, device.width - 2) << button;
      EXPECT_LE(ink.box.bottom, device.height - 2) << button;
      EXPECT_EQ(ink.finer_than_blocks, setting.scale > 1) << button;
    }
    const int height = caption_ink(1).box.height();
    if (!height_at_96) {
      height_at_96 = height;
    }
    // The 96-dpi caption times the scale, whatever the resolution between the scales.
    EXPECT_NEAR(height, *height_at_96 * setting.scale, setting.scale);
    shut_down_viewer(state);
    platform::stop_window_system();
    display = nullptr;
  }
}

TEST_F(ScaledViewerTest, AWindowTooLargeForTheMonitorAtItsScaleTakesASmallerOne) {
  start({1920, 1080}, 192);
  EXPECT_EQ(window().scale(), 1);
  EXPECT_EQ(window().device_size(), (Size{1044, 350}));
  EXPECT_EQ(outer_origin(), (Point{(1920 - 1052) / 2, (1080 - 384) / 2}));
  EXPECT_TRUE(picture_shows_canvas_in_blocks());
  EXPECT_EQ(click_at({950, 320}), 2);
}

TEST_F(ScaledViewerTest, TheWindowFollowsAChangeOfResolution) {
  start({3840, 2160}, 96);
  EXPECT_EQ(window().scale(), 1);
  EXPECT_EQ(outer_origin(), (Point{(3840 - 1052) / 2, (2160 - 384) / 2}));

  display->change_resolution(192);
  // Painted at once, before the display can show the new surface.
  EXPECT_TRUE(picture_shows_canvas_in_blocks());
  drain();
  EXPECT_EQ(window().scale(), 2);
  EXPECT_EQ(window().device_size(), (Size{2088, 700}));
  // The centre stays where it was.
  EXPECT_EQ(outer_origin(), (Point{(3840 - 2096) / 2, (2160 - 734) / 2}));
  EXPECT_TRUE(picture_shows_canvas_in_blocks());
  EXPECT_EQ(click_at({2039, 689}), 2);
  EXPECT_EQ(state.current_page, 1);
  EXPECT_TRUE(picture_shows_canvas_in_blocks());
  EXPECT_TRUE(caption_ink(1).finer_than_blocks);

  display->change_resolution(96);
  drain();
  EXPECT_EQ(window().scale(), 1);
  EXPECT_EQ(window().device_size(), (Size{1044, 350}));
  EXPECT_EQ(outer_origin(), (Point{(3840 - 1052) / 2, (2160 - 384) / 2}));
  EXPECT_TRUE(picture_shows_canvas_in_blocks());
  EXPECT_EQ(click_at({1019, 344}), 2);
  EXPECT_EQ(state.current_page, 2);
}

// Labels and captions are drawn at 96 dpi times the window's scale: at any resolution the window
// looks as at the one of its scale, 96 or 192 dpi, labels and captions alike.
TEST_F(ScaledViewerTest, EveryResolutionShowsTheWindowAsTheResolutionOfItsScaleDoes) {
  const struct {
    Size screen;
    int dpi;
    int dpi_of_scale;
  } cases[] = {{{1920, 1080}, 120, 96},  {{1920, 1080}, 132, 96},  {{3840, 2160}, 144, 192},
               {{3840, 2160}, 168, 192}, {{1920, 1080}, 144, 96},  {{1920, 1080}, 192, 96}};
  for (const auto& [screen, dpi, dpi_of_scale] : cases) {
    SCOPED_TRACE(::testing::Message() << dpi << " dpi on " << screen.width);
    start(screen, dpi_of_scale);
    const Size size = window().device_size();
    const std::vector<platform::Pixel> expected = inner_pixels();
    stop();
    start(screen, dpi);
    ASSERT_EQ(window().device_size(), size);
    const std::vector<platform::Pixel> shown = inner_pixels();
    const auto differing = std::inner_product(shown.begin(), shown.end(), expected.begin(), std::size_t{0},
                                              std::plus<>(), std::not_equal_to<>());
    EXPECT_EQ(differing, 0u);
    stop();
  }
}

// A change of resolution leaves the window as a fresh start at the new one shows it.
TEST_F(ScaledViewerTest, AfterAChangeOfResolutionTheWindowIsAsAFreshStartThereShowsIt) {
  for (const int dpi : {120, 132, 192}) {
    SCOPED_TRACE(dpi);
    start({3840, 2160}, 96);
    click_at({955, 325});
    display->change_resolution(dpi);
    drain();
    const Size changed_size = window().device_size();
    const std::vector<platform::Pixel> changed = inner_pixels();
    stop();

    start({3840, 2160}, dpi);
    const int scale = window().scale();
    click_at({955 * scale, 325 * scale});
    ASSERT_EQ(window().device_size(), changed_size);
    const std::vector<platform::Pixel> fresh = inner_pixels();
    const auto differing = std::inner_product(changed.begin(), changed.end(), fresh.begin(), std::size_t{0},
                                              std::plus<>(), std::not_equal_to<>());
    EXPECT_EQ(differing, 0u);
    EXPECT_EQ(state.current_page, 1);
    stop();
  }
}

TEST_F(ScaledViewerTest, AGrowingWindowNearTheEdgeStaysOnTheMonitor) {
  start({3840, 2160}, 96);
  display->move_window(window(), {3000, 1900});
  drain();
  display->change_resolution(192);
  // Painted at once, before the display can show the new surface.
  EXPECT_TRUE(picture_shows_canvas_in_blocks());
  drain();
  EXPECT_EQ(window().scale(), 2);
  EXPECT_EQ(outer_origin(), (Point{3840 - 2096, 2160 - 734}));
}

}  // namespace
}  // namespace viewer
