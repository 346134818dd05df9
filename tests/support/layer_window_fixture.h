#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/window_system/window_system.h"
#include "present/events.h"
#include "present/presentation.h"
#include "support/event_codes.h"
#include "viewer/viewer.h"

namespace test_support {

// The viewer's window opened by this process through the layer on a desktop's own display, and
// the events the layer gives while a test waits for the desktop.
class LayerWindowFixture : public ::testing::Test {
 protected:
  // Starts the window system on the display and the layer on it, and opens the viewer's window.
  void open_window_on(std::unique_ptr<platform::NativeDisplay> display, const std::string& error) {
    ASSERT_TRUE(display) << error;
    platform::start_window_system(std::move(display));
    present::start_presentation();
    ASSERT_TRUE(viewer::open_viewer_window());
  }
  void TearDown() override {
    present::end_presentation();
    platform::stop_window_system();
  }

  // Lets the layer take its events until the condition holds or five seconds pass; the event
  // codes seen on the way are kept.
  template <typename Condition>
  bool settle(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
      if (condition()) {
        return true;
      }
      const std::int32_t code = present::wait_event(std::chrono::milliseconds(20));
      if (code == present::ControlEvent) {
        seen.emplace_back(code, present::event_control());
      } else if (is_event_code(code)) {
        seen.emplace_back(code, -1);
      }
    }
    return condition();
  }

  bool saw(std::int32_t code, present::ObjectNumber control = -1) const {
    return std::find(seen.begin(), seen.end(), std::make_pair(code, control)) != seen.end();
  }

  std::vector<std::pair<std::int32_t, present::ObjectNumber>> seen;
};

}  // namespace test_support
