#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <memory>
#include <thread>

#include "support/decoded_bank.h"
#include "support/reference_page.h"
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

  platform::Rect picture() {
    const platform::Rect inner = probe.inner_area(*window);
    return platform::Rect::at({inner.left + 10, inner.top + 10}, {1024, 300});
  }

  // How the picture differs from the page worked out from the drawing rules: empty as soon as it
  // shows the page, else what still differs after three seconds.
  std::string difference_from_page(int page) {
    const reference::ReferencePage expected(test_support::decoded_bank(), page);
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    std::string difference = expected.difference(probe.capture(picture()));
    while (!difference.empty() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(20ms);
      difference = expected.difference(probe.capture(picture()));
    }
    return difference;
  }

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
  const std::string errors = ::testing::TempDir() + "tablescope_no_display.txt";
  const pid_t viewer = start_program({"env", "-u", "DISPLAY", TABLESCOPE_BINARY}, errors);
  const auto code = wait_for_exit(viewer, 5s);
  ASSERT_TRUE(code);
  EXPECT_NE(*code, 0);
  std::ifstream stream(errors);
  std::string line, rest;
  std::getline(stream, line);
  EXPECT_EQ(line.rfind("tablescope: needs an X display", 0), 0u) << line;
  EXPECT_FALSE(std::getline(stream, rest));
}

}  // namespace
}  // namespace x11_test
