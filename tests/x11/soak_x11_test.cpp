#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/decoded_bank.h"
#include "support/reference_page.h"
#include "viewer/viewer.h"
#include "x_probe.h"
#include "x_session.h"

namespace x11_test {
namespace {

using namespace std::chrono_literals;

// The resident memory of a process in kilobytes, as the kernel counts it.
long resident_kilobytes(pid_t process) {
  std::ifstream status("/proc/" + std::to_string(process) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) {
      return std::stol(line.substr(6));
    }
  }
  return -1;
}

// The real program used for a long while as a user would: many page turns, and the window
// minimized and restored again and again. What it holds must not grow, and the page must be the
// one the turns lead to, exact.
class SoakOnX11Test : public ::testing::Test {
 protected:
  void SetUp() override {
    viewer = start_program({TABLESCOPE_BINARY});
    ASSERT_GT(viewer, 0);
    ASSERT_TRUE(settle([&] { return (window = probe.window_of(viewer)).has_value(); })) << "no window appeared";
    id = std::to_string(*window);
    // Shown, and centred once the window manager has told its frame: the buttons stay put.
    ASSERT_TRUE(settle([&] { return probe.viewable(*window) && probe.frame_extents(*window).has_value(); }));
    ASSERT_EQ(difference_from_page(0), "");
  }
  void TearDown() override {
    kill(viewer, SIGKILL);
    wait_for_exit(viewer, 5s);
  }

  // Turns pages with the space bar on the focused button, `turns` at a time, then Tab to the other
  // button: "Next" has the focus first. Keys rather than clicks, because a window manager that
  // takes a look at every click (openbox does) lets some clicks of a fast burst go astray. After
  // each run the page must be the one the turns lead to; waiting for it also keeps the input that
  // the program has not yet taken, and so its queues, short.
  void turn_pages(int rounds, int turns) {
    for (int round = 0; round < rounds; ++round) {
      ASSERT_EQ(run_program({"xdotool", "key", "--repeat", std::to_string(turns), "--delay", "1", "space", "key", "Tab"}), 0);
      page = std::clamp(page + (forward ? turns : -turns), viewer::first_page, viewer::last_page);
      forward = !forward;
      ASSERT_EQ(difference_from_page(page), "") << "after " << round + 1 << " runs of turns";
    }
  }

  // Minimized and restored `cycles` times, fifty cycles to an xdotool.
  void minimize_and_restore(int cycles) {
    for (int done = 0; done < cycles; done += 50) {
      std::vector<std::string> command{"xdotool"};
      for (int cycle = done; cycle < std::min(cycles, done + 50); ++cycle) {
        for (const char* word : {"windowminimize", "--sync", id.c_str(), "windowactivate", "--sync", id.c_str()}) {
          command.emplace_back(word);
        }
      }
      ASSERT_EQ(run_program(command), 0);
    }
  }

  // How the picture differs from the page worked out from the drawing rules, once the program
  // has caught up with the input: empty when it shows the page.
  std::string difference_from_page(int expected_page) {
    auto known = references.find(expected_page);
    if (known == references.end()) {
      known = references.try_emplace(expected_page, test_support::decoded_bank(), expected_page).first;
    }
    return probe.difference_from(*window, known->second, 10s);
  }

  std::map<int, reference::ReferencePage> references;
  XProbe probe;
  pid_t viewer = -1;
  std::optional<::Window> window;
  std::string id;
  int page = 0;
  bool forward = true;
};

TEST_F(SoakOnX11Test, TenThousandPageTurnsAndAThousandMinimizeRestoreCyclesKeepMemoryAndThePage) {
  // A click on "Next" gives it the focus; then a warm-up fills the caches that are filled once.
  const platform::Rect inner = probe.inner_area(*window);
  const platform::Rect& next = viewer::next_button_area;
  ASSERT_EQ(run_program({"xdotool", "mousemove", std::to_string(inner.left + (next.left + next.right) / 2),
                         std::to_string(inner.top + (next.top + next.bottom) / 2), "click", "1"}),
            0);
  page = 1;
  turn_pages(10, 20);
  minimize_and_restore(20);
  ASSERT_EQ(difference_from_page(page), "");
  const long before = resident_kilobytes(viewer);
  ASSERT_GT(before, 0);

  // 10,000 turns back and forth over the first pages, and a few more to end on another page.
  turn_pages(500, 20);
  turn_pages(1, 7);
  minimize_and_restore(1000);
  EXPECT_EQ(page, 8);
  EXPECT_EQ(difference_from_page(page), "");
  const long after = resident_kilobytes(viewer);
  std::printf("resident memory: %ld kB before, %ld kB after\n", before, after);
  // A leak of a hundred bytes a turn or a kilobyte a cycle would show as a megabyte.
  EXPECT_LT(after - before, 512);
}

}  // namespace
}  // namespace x11_test
