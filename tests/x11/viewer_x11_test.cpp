#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <thread>

#include "viewer/viewer.h"
#include "x_probe.h"
#include "x_session.h"

namespace x11_test {
namespace {

using namespace std::chrono_literals;

// The real program, started as a user would start it, and driven with xdotool and wmctrl.
class ViewerOnX11Test : public ::testing::Test {
 protected:
  void SetUp() override {
    viewer = start_program({TABLESCOPE_BINARY}, error_file);
    ASSERT_GT(viewer, 0);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!window && std::chrono::steady_clock::now() < deadline) {
      window = probe.window_of(viewer);
      std::this_thread::sleep_for(20ms);
    }
    ASSERT_TRUE(window) << "the window did not appear";
  }
  void TearDown() override {
    if (!exit_code) {
      kill(viewer, SIGKILL);
      wait_for_exit(viewer, 5s);
    }
  }

  std::string difference_from_page(int page) { return probe.difference_from_page(*window, page); }

  void click_button(const platform::Rect& area) {
    const platform::Rect inner = probe.inner_area(*window);
    ASSERT_EQ(run_program({"xdotool", "mousemove", std::to_string(inner.left + (area.left + area.right) / 2),
                           std::to_string(inner.top + (area.top + area.bottom) / 2), "click", "1"}),
              0);
  }
  void click_previous() { click_button(viewer::previous_button_area); }
  void click_next() { click_button(viewer::next_button_area); }

  std::string first_error_line() {
    std::ifstream errors(error_file);
    std::string line;
    std::getline(errors, line);
    return line;
  }

  const std::string error_file = ::testing::TempDir() + "tablescope_x11_errors.txt";
  XProbe probe;
  pid_t viewer = -1;
  std::optional<::Window> window;
  std::optional<int> exit_code;
};

TEST_F(ViewerOnX11Test, PagesThroughTheWavesAndExitsWithZeroWhenClosed) {
  EXPECT_EQ(probe.title(*window), viewer::window_title);
  EXPECT_EQ(probe.inner_area(*window).size(), (platform::Size{1044, 350}));
  EXPECT_EQ(difference_from_page(0), "");

  click_next();
  EXPECT_EQ(difference_from_page(1), "");
  click_next();
  click_next();
  EXPECT_EQ(difference_from_page(3), "");
  click_previous();
  EXPECT_EQ(difference_from_page(2), "");
  // "Previous" has the focus from its click: Tab moves it to "Next", the space bar clicks that.
  ASSERT_EQ(run_program({"xdotool", "key", "Tab", "space"}), 0);
  EXPECT_EQ(difference_from_page(3), "");

  ASSERT_EQ(run_program({"wmctrl", "-i", "-c", std::to_string(*window)}), 0);
  exit_code = wait_for_exit(viewer, 5s);
  ASSERT_TRUE(exit_code) << "the program did not end";
  EXPECT_EQ(*exit_code, 0);
  EXPECT_EQ(first_error_line(), "");
}

TEST_F(ViewerOnX11Test, WaitingForTheUserTakesNoProcessorTime) {
  std::this_thread::sleep_for(300ms);
  const auto before = processor_time(viewer);
  std::this_thread::sleep_for(1500ms);
  EXPECT_LE((processor_time(viewer) - before).count(), 20);
}

TEST(ViewerLosingItsServer, EndsWithOneLineAndNoHang) {
  // A server of its own, to be killed under the program.
  XSession doomed;
  ASSERT_TRUE(doomed.ready());
  const std::string errors = ::testing::TempDir() + "tablescope_lost_server.txt";
  const pid_t viewer = start_program({TABLESCOPE_BINARY}, errors);
  {
    XProbe probe;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!probe.window_of(viewer) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(20ms);
    }
    ASSERT_TRUE(probe.window_of(viewer));
  }
  kill(doomed.server_pid(), SIGKILL);
  const auto code = wait_for_exit(viewer, 5s);
  if (!code) {
    kill(viewer, SIGKILL);
  }
  ASSERT_TRUE(code) << "the program hung after its server went";
  EXPECT_NE(*code, 0);
  std::ifstream stream(errors);
  std::string line;
  std::getline(stream, line);
  EXPECT_EQ(line, "tablescope: lost the connection to the X display");
}

TEST(ViewerWithoutDisplay, SaysItNeedsAnXDisplayAndExitsNonZero) {
  // The X11 backend's own words: a Wayland compositor, tried first, is left out.
  const Ending ending = run_to_its_end({"env", "-u", "DISPLAY", "TABLESCOPE_BACKEND=x11", TABLESCOPE_BINARY});
  ASSERT_TRUE(ending.code);
  EXPECT_NE(*ending.code, 0);
  EXPECT_EQ(ending.errors.rfind("tablescope: needs an X display", 0), 0u) << ending.errors;
  EXPECT_EQ(std::count(ending.errors.begin(), ending.errors.end(), '\n'), 1) << ending.errors;
}

}  // namespace
}  // namespace x11_test
