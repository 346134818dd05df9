#pragma once

#include <gtest/gtest.h>

#include "platform/headless/backend.h"
#include "platform/window_system/window_system.h"
#include "present/layer.h"
#include "present/controls.h"
#include "present/events.h"
#include "present/drawing/images.h"
#include "present/presentation.h"
#include "present/windows.h"
#include "support/event_codes.h"
#include "viewer/viewer.h"

namespace present {

using test_support::is_event_code;

// The viewer's window on a headless screen, made by the viewer's own start-up: window 0 with the
// picture (control 0) showing image 0, and the buttons "Previous" (1) and "Next" (2).
class HeadlessWindowFixture : public ::testing::Test {
 protected:
  void SetUp() override { start({1920, 1080}); }
  void TearDown() override {
    end_presentation();
    platform::stop_window_system();
  }

  void start(platform::Size screen) {
    auto headless = std::make_unique<platform::HeadlessDisplay>(screen);
    display = headless.get();
    platform::start_window_system(std::move(headless));
    start_presentation();
  }

  void open_viewer_window() { ASSERT_TRUE(viewer::open_viewer_window()); }

  // The window in front; the viewer's only window.
  platform::WindowNode& window() {
    // The screen shows windows as const; the layer holds them as its operations take them.
    return *present::layer()->windows.find(*present::window_number_of(*display->topmost_window()))->handle;
  }
  // A control is its window's child with the control's number as identifier.
  platform::WindowNode& control(ObjectNumber number) { return *platform::child_with_id(window(), number); }

  // A point of the window's inner area on the screen.
  platform::Point screen_point(int x, int y) { return {window().bounds().left + x, window().bounds().top + y}; }
  platform::Point centre_of(ObjectNumber number) {
    const platform::Rect& bounds = control(number).bounds();
    return screen_point((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
  }

  // Takes every event that is there now without waiting; the codes in order.
  std::vector<std::int32_t> drain() {
    std::vector<std::int32_t> codes;
    for (int guard = 0; guard < 1000; ++guard) {
      const std::int32_t code = wait_event(std::chrono::milliseconds(0));
      if (code == 0) {
        break;
      }
      codes.push_back(code);
    }
    return codes;
  }

  platform::HeadlessDisplay* display = nullptr;
};

}  // namespace present
