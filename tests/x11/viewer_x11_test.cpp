#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <thread>

#include "expected_page.h"
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

  bool shows(const std::vector<std::uint32_t>& expected) {
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (std::chrono::steady_clock::now() < deadline) {
      if (probe.capture(picture()) == expected) {
        return true;
      }
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }

  void click_button(int x) {
    const platform::Rect inner = probe.inner_area(*window);
    ASSERT_EQ(run_program({"xdotool", "mousemove", std::to_string(inner.left + x), std::to_string(inner.top + 332),
                           "click", "1"}),
              0);
  }
  void click_previous() { click_button(905); }
  void click_next() { click_button(985); }

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
  EXPECT_EQ(probe.title(*window), "Tablescope for PPG Wave 2.2 Eeproms 64 & 68");
  EXPECT_EQ(probe.inner_area(*window).size(), (platform::Size{1044, 350}));
  EXPECT_TRUE(shows(expected_page(0)));

  click_next();
  EXPECT_TRUE(shows(expected_page(1)));
  click_next();
  click_next();
  EXPECT_TRUE(shows(expected_page(3)));
  click_previous();
  EXPECT_TRUE(shows(expected_page(2)));
  // "Previous" has the focus from its click: Tab moves it to "Next", the space bar clicks that.
  ASSERT_EQ(run_program({"xdotool", "key", "Tab", "space"}), 0);
  EXPECT_TRUE(shows(expected_page(3)));

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
