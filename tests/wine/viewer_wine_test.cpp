#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <thread>

#include "viewer/viewer.h"
#include "viewer_under_wine.h"
#include "x11/x_probe.h"
#include "x11/x_session.h"

namespace wine_test {
namespace {

using namespace std::chrono_literals;

std::string wine_loader() {
  const char* loader = std::getenv("WINELOADER");
  return loader != nullptr && *loader != '\0' ? loader : "/usr/lib/wine/wine64";
}

// tablescope.exe under Wine, on the session's X display with openbox, driven with xdotool and
// wmctrl as a user would drive it.
class ViewerUnderWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(probe.connected()) << "no X display: run inside scripts/wine-session.sh";
    viewer = x11_test::start_program({wine_loader(), windows_executable}, error_file);
    ASSERT_GT(viewer, 0);
    // Wine's first window of a session takes a while: its desktop process starts first.
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!window && std::chrono::steady_clock::now() < deadline) {
      window = probe.window_titled(std::string(viewer::window_title));
      std::this_thread::sleep_for(50ms);
    }
    ASSERT_TRUE(window) << "the window did not appear";
  }
  void TearDown() override {
    if (!exit_code) {
      kill(viewer, SIGKILL);
      x11_test::wait_for_exit(viewer, 5s);
    }
  }

  std::string difference_from_page(int page) { return probe.difference_from_page(*window, page); }

  void act(const std::vector<std::string>& command) { ASSERT_EQ(x11_test::run_program(command), 0) << command[0]; }

  void click_button(const platform::Rect& area) {
    const platform::Rect inner = probe.inner_area(*window);
    act({"xdotool", "mousemove", std::to_string(inner.left + (area.left + area.right) / 2),
         std::to_string(inner.top + (area.top + area.bottom) / 2), "click", "1"});
  }

  bool becomes_viewable(bool viewable) {
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (probe.viewable(*window) != viewable && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(20ms);
    }
    return probe.viewable(*window) == viewable;
  }

  std::string error_output() {
    std::ifstream errors(error_file);
    return {std::istreambuf_iterator<char>(errors), std::istreambuf_iterator<char>()};
  }

  const std::string error_file = ::testing::TempDir() + "tablescope_wine_errors.txt";
  x11_test::XProbe probe;
  pid_t viewer = -1;
  std::optional<::Window> window;
  std::optional<int> exit_code;
};

TEST_F(ViewerUnderWineTest, ShowsAndTurnsPagesSurvivesMinimizingAndExitsWithZeroWhenClosed) {
  EXPECT_EQ(probe.inner_area(*window).size(), (platform::Size{1044, 350}));
  EXPECT_EQ(difference_from_page(0), "");

  // The first page is as far back as it goes.
  click_button(viewer::previous_button_area);
  EXPECT_EQ(difference_from_page(0), "");
  click_button(viewer::next_button_area);
  EXPECT_EQ(difference_from_page(1), "");
  click_button(viewer::next_button_area);
  click_button(viewer::next_button_area);
  EXPECT_EQ(difference_from_page(3), "");
  click_button(viewer::previous_button_area);
  EXPECT_EQ(difference_from_page(2), "");
  // "Previous" has the focus from its click: Tab moves it to "Next", the space bar clicks that;
  // Shift+Tab moves it back.
  act({"xdotool", "key", "Tab", "space"});
  EXPECT_EQ(difference_from_page(3), "");
  act({"xdotool", "key", "shift+Tab", "space"});
  EXPECT_EQ(difference_from_page(2), "");

  act({"xdotool", "windowminimize", std::to_string(*window)});
  EXPECT_TRUE(becomes_viewable(false));
  act({"wmctrl", "-i", "-a", std::to_string(*window)});
  EXPECT_TRUE(becomes_viewable(true));
  EXPECT_EQ(difference_from_page(2), "");

  act({"wmctrl", "-i", "-c", std::to_string(*window)});
  exit_code = x11_test::wait_for_exit(viewer, 10s);
  ASSERT_TRUE(exit_code) << "the program did not end";
  EXPECT_EQ(*exit_code, 0);
  EXPECT_EQ(error_output(), "");
}

}  // namespace
}  // namespace wine_test
