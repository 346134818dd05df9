#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <thread>

#include "platform/window_system/window_system.h"
#include "platform/x11/backend.h"
#include "present/controls.h"
#include "present/drawing/drawing_session.h"
#include "present/events.h"
#include "present/drawing/images.h"
#include "present/presentation.h"
#include "present/drawing/primitives.h"
#include "support/layer_window_fixture.h"
#include "viewer/viewer.h"
#include "x_probe.h"
#include "x_session.h"

namespace present {
namespace {

// The viewer's window opened by this process on the X server, looked at from outside.
class LayerOnX11Test : public test_support::LayerWindowFixture {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_NO_FATAL_FAILURE(open_window_on(platform::open_x11_display(error, monitor()), error));
    // This process's only window, as the window manager lists it.
    std::optional<::Window> found;
    ASSERT_TRUE(settle([&] { return (found = probe.window_of(getpid())).has_value(); })) << "no window appeared";
    x_window = *found;
    ASSERT_TRUE(settle([&] { return probe.viewable(x_window) && probe.frame_extents(x_window).has_value(); }));
  }

  // Where the primary monitor lies; RandR's answer without a query.
  virtual platform::MonitorQuery monitor() { return {}; }

  platform::Point screen_centre_of(const platform::Rect& area) {
    const platform::Rect inner = probe.inner_area(x_window);
    return {inner.left + (area.left + area.right) / 2, inner.top + (area.top + area.bottom) / 2};
  }

  void act(std::vector<std::string> command) { ASSERT_EQ(x11_test::run_program(command), 0) << command[0]; }

  void click_at(platform::Point at) {
    act({"xdotool", "mousemove", std::to_string(at.x), std::to_string(at.y), "click", "1"});
  }

  x11_test::XProbe probe;
  ::Window x_window = 0;
};

TEST_F(LayerOnX11Test, TheWindowIsShownCentredWithItsTitleAndAFixedInnerArea) {
  EXPECT_EQ(probe.title(x_window), viewer::window_title);
  EXPECT_EQ(probe.inner_area(x_window).size(), (platform::Size{1044, 350}));
  const platform::FrameExtents frame = *probe.frame_extents(x_window);
  const int outer_width = 1044 + frame.left + frame.right;
  const int outer_height = 350 + frame.top + frame.bottom;
  // Shown at once with the frame as far as known then, and centred once the frame is known.
  const platform::Point centred{(1920 - outer_width) / 2 + frame.left, (1080 - outer_height) / 2 + frame.top};
  EXPECT_TRUE(settle([&] { return probe.inner_area(x_window).origin() == centred; }))
      << "inner area at " << probe.inner_area(x_window).left << "," << probe.inner_area(x_window).top;

  const std::vector<std::string> allowed = probe.atom_list(x_window, "_NET_WM_ALLOWED_ACTIONS");
  EXPECT_NE(std::find(allowed.begin(), allowed.end(), "_NET_WM_ACTION_CLOSE"), allowed.end());
  EXPECT_NE(std::find(allowed.begin(), allowed.end(), "_NET_WM_ACTION_MINIMIZE"), allowed.end());
  for (const char* refused : {"_NET_WM_ACTION_RESIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ", "_NET_WM_ACTION_MAXIMIZE_VERT"}) {
    EXPECT_EQ(std::find(allowed.begin(), allowed.end(), refused), allowed.end()) << refused;
  }
  // Asked to maximize anyway, the window keeps its size.
  act({"wmctrl", "-i", "-r", std::to_string(x_window), "-b", "add,maximized_vert,maximized_horz"});
  settle([] { return false; });
  EXPECT_EQ(probe.inner_area(x_window).size(), (platform::Size{1044, 350}));
}

TEST_F(LayerOnX11Test, TheScreenShowsTheCanvasPixelsOnceThePictureIsSet) {
  start_drawing(image_output(0));
  for (int band = 0; band < 8; ++band) {
    fill_box(128 * band, 0, 128, 300, make_rgb(30 * band, 255 - 30 * band, 17 * band));
  }
  draw_line(0, 0, 1023, 299, make_rgb(255, 255, 255));
  plot_pixel(1023, 0, make_rgb(255, 0, 0));
  stop_drawing();
  set_control_state(0, image_handle(0));

  const platform::Bitmap& canvas = *platform::find_bitmap(image_handle(0));
  std::vector<std::uint32_t> expected;
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 1024; ++x) {
      const std::uint8_t* bytes = canvas.row(y) + 3 * x;
      expected.push_back(std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16);
    }
  }
  // The window may still move once the window manager tells its frame: look where it is now.
  EXPECT_TRUE(settle([&] {
    const platform::Rect inner = probe.inner_area(x_window);
    return probe.capture(platform::Rect::at({inner.left + 10, inner.top + 10}, {1024, 300})) == expected;
  }));
}

TEST_F(LayerOnX11Test, ClicksKeysTheCloseBoxMinimizeAndRestoreGiveTheirEvents) {
  settle([] { return false; });
  seen.clear();
  click_at(screen_centre_of(viewer::previous_button_area));
  EXPECT_TRUE(settle([&] { return saw(ControlEvent, 1); }));
  click_at(screen_centre_of(viewer::next_button_area));
  EXPECT_TRUE(settle([&] { return saw(ControlEvent, 2); }));
  EXPECT_EQ(std::count(seen.begin(), seen.end(), std::make_pair(ControlEvent, ObjectNumber{1})), 1);

  // "Next" has the focus from its click: Tab moves it to "Previous", the space bar clicks it.
  seen.clear();
  act({"xdotool", "key", "Tab", "key", "space"});
  EXPECT_TRUE(settle([&] { return saw(ControlEvent, 1); }));
  EXPECT_FALSE(saw(ControlEvent, 2));

  act({"xdotool", "windowminimize", std::to_string(x_window)});
  EXPECT_TRUE(settle([&] { return saw(MinimizeEvent); }));
  seen.clear();
  act({"wmctrl", "-i", "-a", std::to_string(x_window)});
  EXPECT_TRUE(settle([&] { return saw(SizeEvent); }));
  const auto restore = std::find(seen.begin(), seen.end(), std::make_pair(RestoreEvent, ObjectNumber{-1}));
  ASSERT_NE(restore, seen.end());
  ASSERT_NE(restore + 1, seen.end());
  EXPECT_EQ(*(restore + 1), std::make_pair(SizeEvent, ObjectNumber{-1}));

  act({"wmctrl", "-i", "-c", std::to_string(x_window)});
  EXPECT_TRUE(settle([&] { return saw(CloseEvent); }));
  EXPECT_TRUE(probe.viewable(x_window));
}

// A press on "Next" and a move off it, arriving together, are taken in that order: the button looks
// released while the pointer is away, and a release there clicks nothing.
TEST_F(LayerOnX11Test, AMoveAfterAPressIsTakenAfterIt) {
  const platform::Point next = screen_centre_of(viewer::next_button_area);
  const platform::Point away = screen_centre_of({400, 320, 420, 345});  // the background left of the buttons
  act({"xdotool", "mousemove", std::to_string(next.x), std::to_string(next.y), "mousedown", "1", "mousemove",
       std::to_string(away.x), std::to_string(away.y)});
  const platform::Rect inner = probe.inner_area(x_window);
  const platform::Rect button = viewer::next_button_area.moved(inner.left, inner.top);
  const auto looks_focused_and_released = [&] {
    const std::vector<std::uint32_t> pixels = probe.capture(button);
    const auto has = [&](std::uint32_t colour) {
      return std::find(pixels.begin(), pixels.end(), colour) != pixels.end();
    };
    return has(0x0078D7) && !has(0xCCE4F7) && !has(0x005499);  // focused border; no pressed face or border
  };
  EXPECT_TRUE(settle(looks_focused_and_released));
  act({"xdotool", "mouseup", "1"});
  click_at(screen_centre_of(viewer::previous_button_area));
  EXPECT_TRUE(settle([&] { return saw(ControlEvent, viewer::previous_button); }));
  EXPECT_FALSE(saw(ControlEvent, viewer::next_button));
}

// The primary monitor right of and below another one on a larger desktop, as RandR reports such
// a monitor.
class LayerOnX11BesideAnotherMonitorTest : public LayerOnX11Test {
 protected:
  static constexpr platform::Rect primary{640, 200, 1920, 1000};
  platform::MonitorQuery monitor() override {
    return [] { return std::optional<platform::Rect>(primary); };
  }
};

TEST_F(LayerOnX11BesideAnotherMonitorTest, TheWindowIsCentredOnThePrimaryMonitor) {
  const platform::FrameExtents frame = *probe.frame_extents(x_window);
  const int outer_width = 1044 + frame.left + frame.right;
  const int outer_height = 350 + frame.top + frame.bottom;
  const platform::Point centred{primary.left + (primary.width() - outer_width) / 2 + frame.left,
                                primary.top + (primary.height() - outer_height) / 2 + frame.top};
  EXPECT_TRUE(settle([&] { return probe.inner_area(x_window).origin() == centred; }))
      << "inner area at " << probe.inner_area(x_window).left << "," << probe.inner_area(x_window).top;
}

}  // namespace
}  // namespace present
