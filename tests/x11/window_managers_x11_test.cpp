#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

#include "support/decoded_bank.h"
#include "support/reference_page.h"
#include "x_probe.h"
#include "x_session.h"

namespace x11_test {
namespace {

using namespace std::chrono_literals;

constexpr platform::Size screen{1920, 1080};
constexpr platform::Size layout{1044, 350};
constexpr std::uint32_t window_background = 0xF0F0F0;

SessionSetup with_window_manager(const std::string& name) {
  // A home of its own, so that the window manager writes its first-run settings there.
  return {{"env", "HOME=" + ::testing::TempDir(), name}, false, {}};
}

const SessionSetup without_window_manager{{}, false, {}};

// The real program on a server of the test's own, set up as the test says.
class ViewerSession {
 public:
  explicit ViewerSession(const SessionSetup& setup) : session(setup) {}
  ~ViewerSession() {
    if (viewer > 0 && !exit_code) {
      kill(viewer, SIGKILL);
      wait_for_exit(viewer, 5s);
    }
  }

  // Starts the program; true once its window is on the screen.
  bool start() {
    if (!session.ready() || !probe.connected()) {
      return false;
    }
    viewer = start_program({TABLESCOPE_BINARY}, error_file);
    return viewer > 0 && settle([&] {
             window = probe.window_of(viewer);
             return window.has_value();
           });
  }

  platform::Rect inner() { return probe.inner_area(*window); }
  platform::Rect picture() {
    const platform::Rect area = inner();
    return platform::Rect::at({area.left + 10, area.top + 10}, {1024, 300});
  }
  // True once the picture shows the page worked out from the drawing rules, as far as it lies on
  // the screen.
  bool shows(int page) {
    const reference::ReferencePage expected(test_support::decoded_bank(), page);
    return settle([&] {
      const platform::Rect area = picture();
      const platform::Rect seen = area.intersected(platform::Rect::at({0, 0}, screen_size));
      std::vector<std::uint32_t> pixels(static_cast<std::size_t>(area.width() * area.height()));
      for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x) {
          pixels[static_cast<std::size_t>(y * area.width() + x)] = expected.pixel(x, y);
        }
      }
      const std::vector<std::uint32_t> shown = probe.capture(seen);
      for (int y = 0; y < seen.height(); ++y) {
        std::copy_n(shown.begin() + y * seen.width(), seen.width(),
                    pixels.begin() + (seen.top - area.top + y) * area.width() + (seen.left - area.left));
      }
      return expected.difference(pixels).empty();
    });
  }
  void click_at(int x, int y) {
    const platform::Rect area = inner();
    ASSERT_EQ(run_program({"xdotool", "mousemove", std::to_string(area.left + x), std::to_string(area.top + y),
                           "click", "1"}),
              0);
  }
  void click_previous() { click_at(905, 332); }
  void click_next() { click_at(985, 332); }

  bool ends_with(int code) {
    exit_code = wait_for_exit(viewer, 5s);
    return exit_code == code;
  }
  std::string errors() {
    std::ifstream stream(error_file);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
  }

  XSession session;
  XProbe probe;
  const std::string error_file = ::testing::TempDir() + "tablescope_window_managers.txt";
  platform::Size screen_size = screen;
  pid_t viewer = -1;
  std::optional<::Window> window;
  std::optional<int> exit_code;
};

// Where the inner area of a window centred on the screen with this frame lies.
platform::Point centred_inner_origin(const platform::FrameExtents& frame) {
  const platform::Size outer{layout.width + frame.left + frame.right, layout.height + frame.top + frame.bottom};
  return {(screen.width - outer.width) / 2 + frame.left, (screen.height - outer.height) / 2 + frame.top};
}

// fluxbox advertises the request for frame extents but never answers it: the window is shown
// without waiting and centred once fluxbox has framed it.
TEST(ViewerUnderFluxbox, IsCentredOnceTheFrameIsKnown) {
  ViewerSession viewer(with_window_manager("fluxbox"));
  ASSERT_TRUE(viewer.start()) << "the window did not appear";
  std::optional<platform::FrameExtents> frame;
  ASSERT_TRUE(settle([&] { return (frame = viewer.probe.frame_extents(*viewer.window)).has_value(); }));
  ASSERT_GT(frame->top, 0) << "fluxbox gives the window a title bar";
  const platform::Point wanted = centred_inner_origin(*frame);
  EXPECT_TRUE(settle([&] { return viewer.inner().origin() == wanted; }))
      << "inner area at " << viewer.inner().left << "," << viewer.inner().top << ", wanted " << wanted.x << ","
      << wanted.y;
  EXPECT_EQ(viewer.inner().size(), layout);
  EXPECT_TRUE(viewer.shows(0));
  EXPECT_EQ(viewer.errors(), "");
}

// Window managers frame a window each their own way: under the window's own position or under its
// frame's (fvwm3 honours StaticGravity; i3, which floats a window of a fixed size, only once it has
// framed it), with _NET_FRAME_EXTENTS in steps (awesome: nothing first, then the real frame), or not
// at all (twm, and i3 on the window itself, known only by the frame window). The frame ends centred
// under each.
TEST(ViewerUnderOtherWindowManagers, EndsWithItsFrameCentred) {
  // i3 without a configuration of its own would start its bar and its first-run wizard; the first
  // line keeps it from taking the file for an old one and adding a bar.
  const std::string i3_configuration = ::testing::TempDir() + "tablescope_i3_config";
  std::ofstream(i3_configuration) << "# i3 config file (v4)\nfont pango:DejaVu Sans 10\n";
  const std::vector<std::vector<std::string>> window_managers = {
      {"twm"}, {"fvwm3"}, {"awesome"}, {"i3", "-c", i3_configuration}};
  for (const std::vector<std::string>& command : window_managers) {
    SCOPED_TRACE(command.front());
    SessionSetup setup = with_window_manager(command.front());
    setup.window_manager.insert(setup.window_manager.end(), command.begin() + 1, command.end());
    setup.answers_frame_requests = false;
    ViewerSession viewer(setup);
    ASSERT_TRUE(viewer.start()) << "the window did not appear";
    const auto centred = [&] {
      const platform::Rect frame = viewer.probe.frame_area(*viewer.window);
      return std::abs(2 * frame.left + frame.width() - screen.width) <= 2 &&
             std::abs(2 * frame.top + frame.height() - screen.height) <= 2;
    };
    EXPECT_TRUE(settle(centred)) << "frame at " << viewer.probe.frame_area(*viewer.window).left << ","
                                 << viewer.probe.frame_area(*viewer.window).top << ", "
                                 << viewer.probe.frame_area(*viewer.window).width() << " x "
                                 << viewer.probe.frame_area(*viewer.window).height();
    EXPECT_EQ(viewer.inner().size(), layout);
    EXPECT_TRUE(viewer.shows(0));
    EXPECT_EQ(viewer.errors(), "");
  }
}

// On a screen narrower than the window, icewm pushes the window back onto the screen on every move
// asked after it is shown, xfwm4 where it shows it, each depending on when its answers come: the
// frame's right edge ends on the screen's, and "Next" turns the page, launch after launch.
TEST(ViewerOnASmallScreen, EndsWithItsRightEdgeOnTheScreensUnderEveryWindowManager) {
  const std::vector<std::vector<std::string>> window_managers = {{"icewm"},
                                                                 {"dbus-run-session", "xfwm4", "--compositor=off"}};
  for (const std::vector<std::string>& command : window_managers) {
    for (const platform::Size small :
         {platform::Size{800, 600}, platform::Size{1024, 768}, platform::Size{800, 600}, platform::Size{1024, 768}}) {
      SCOPED_TRACE(command.front() + " on " + std::to_string(small.width));
      SessionSetup setup = with_window_manager(command.front());
      setup.window_manager.insert(setup.window_manager.end(), command.begin() + 1, command.end());
      setup.answers_frame_requests = false;
      setup.server_options = {"-screen", "0", std::to_string(small.width) + "x" + std::to_string(small.height) + "x24"};
      ViewerSession viewer(setup);
      viewer.screen_size = small;
      ASSERT_TRUE(viewer.start()) << "the window did not appear";
      EXPECT_TRUE(settle([&] { return viewer.probe.frame_area(*viewer.window).right == small.width; }))
          << "frame from " << viewer.probe.frame_area(*viewer.window).left << " to "
          << viewer.probe.frame_area(*viewer.window).right;
      viewer.click_next();
      EXPECT_TRUE(viewer.shows(1));
      EXPECT_EQ(viewer.errors(), "");
    }
  }
}

// icewm lets another client enlarge a window of a fixed size: what lies beyond the layout shows the
// window's background, and when the size comes back the window is as it was.
TEST(ViewerUnderIcewm, ShowsTheBackgroundBeyondTheLayoutWhenEnlarged) {
  ViewerSession viewer(with_window_manager("icewm"));
  ASSERT_TRUE(viewer.start()) << "the window did not appear";
  ASSERT_TRUE(viewer.shows(0));
  const std::vector<std::uint32_t> before = viewer.probe.capture(viewer.inner());

  const platform::Size enlarged{1500, 700};
  ASSERT_EQ(run_program({"xdotool", "windowsize", std::to_string(*viewer.window), std::to_string(enlarged.width),
                         std::to_string(enlarged.height)}),
            0);
  ASSERT_TRUE(settle([&] { return viewer.inner().size() == enlarged; }))
      << "icewm kept the size " << viewer.inner().width() << "x" << viewer.inner().height();
  // icewm may move the window to keep it on the screen; the layout stays at its top-left.
  const platform::Rect grown = viewer.inner();
  const platform::Rect layout_area = platform::Rect::at(grown.origin(), layout);
  const platform::Rect right{layout_area.right, grown.top, grown.right, grown.bottom};
  const platform::Rect below{grown.left, layout_area.bottom, layout_area.right, grown.bottom};
  const auto all_background = [&](const platform::Rect& area) {
    const std::vector<std::uint32_t> pixels = viewer.probe.capture(area);
    return std::all_of(pixels.begin(), pixels.end(), [](std::uint32_t pixel) { return pixel == window_background; });
  };
  EXPECT_TRUE(settle([&] { return all_background(right) && all_background(below); }));
  EXPECT_EQ(viewer.probe.capture(layout_area), before) << "the page and the buttons are unchanged";

  viewer.click_next();
  EXPECT_TRUE(viewer.shows(1)) << "the buttons still work";
  viewer.click_previous();
  ASSERT_TRUE(viewer.shows(0));
  // Now with "Previous" focused.
  const std::vector<std::uint32_t> enlarged_layout = viewer.probe.capture(platform::Rect::at(viewer.inner().origin(), layout));

  ASSERT_EQ(run_program({"xdotool", "windowsize", std::to_string(*viewer.window), std::to_string(layout.width),
                         std::to_string(layout.height)}),
            0);
  ASSERT_TRUE(settle([&] { return viewer.inner().size() == layout; }));
  EXPECT_TRUE(settle([&] { return viewer.probe.capture(viewer.inner()) == enlarged_layout; }))
      << "nothing is left behind";
  EXPECT_EQ(viewer.errors(), "");
}

// Closed by another client destroying its window, the program ends as after a close.
void ends_when_its_window_is_destroyed(const SessionSetup& setup) {
  ViewerSession viewer(setup);
  ASSERT_TRUE(viewer.start()) << "the window did not appear";
  ASSERT_TRUE(viewer.shows(0));
  ASSERT_EQ(run_program({"xdotool", "windowclose", std::to_string(*viewer.window)}), 0);
  EXPECT_TRUE(viewer.ends_with(0)) << "the program did not end with 0";
  EXPECT_EQ(viewer.errors(), "");
}

TEST(ViewerWithItsWindowDestroyed, EndsWithZeroAndSaysNothing) {
  ends_when_its_window_is_destroyed(SessionSetup{});
  ends_when_its_window_is_destroyed(without_window_manager);
}

// With no window manager the window takes the keyboard when it is clicked.
TEST(ViewerWithoutWindowManager, TakesTheKeyboardWhenClicked) {
  ViewerSession viewer(without_window_manager);
  ASSERT_TRUE(viewer.start()) << "the window did not appear";
  ASSERT_TRUE(viewer.shows(0));
  viewer.click_next();
  ASSERT_TRUE(viewer.shows(1));
  viewer.click_next();
  ASSERT_TRUE(viewer.shows(2));
  // "Next" has the focus from its click: Shift+Tab moves it to "Previous", the space bar clicks that.
  ASSERT_EQ(run_program({"xdotool", "key", "shift+Tab", "space"}), 0);
  EXPECT_TRUE(viewer.shows(1));
  // Tab moves it back to "Next".
  ASSERT_EQ(run_program({"xdotool", "key", "Tab", "space"}), 0);
  EXPECT_TRUE(viewer.shows(2));
  EXPECT_EQ(viewer.errors(), "");
}

// On a server without shared memory the pixels travel in the requests, and Xlib is never asked for
// the missing extension, so it says nothing.
TEST(ViewerWithoutSharedMemory, ShowsThePagesAndSaysNothing) {
  SessionSetup setup;
  setup.server_options = {"-extension", "MIT-SHM"};
  ViewerSession viewer(setup);
  ASSERT_TRUE(viewer.start()) << "the window did not appear";
  EXPECT_TRUE(viewer.shows(0));
  viewer.click_next();
  EXPECT_TRUE(viewer.shows(1));
  ASSERT_EQ(run_program({"wmctrl", "-i", "-c", std::to_string(*viewer.window)}), 0);
  EXPECT_TRUE(viewer.ends_with(0));
  EXPECT_EQ(viewer.errors(), "");
}

}  // namespace
}  // namespace x11_test
