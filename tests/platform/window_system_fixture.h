#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

#include "platform/headless/backend.h"
#include "platform/window_system/window_system.h"

namespace platform {

// One message as a handler saw it.
struct Handled {
  const WindowNode* window;
  MessageCode code;
  std::intptr_t first = 0;
  std::intptr_t second = 0;
  friend bool operator==(const Handled&, const Handled&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Handled& handled) {
    return out << "{" << handled.window << ", code " << static_cast<int>(handled.code) << ", " << handled.first
               << ", " << handled.second << "}";
  }
};

// A message as the log keeps it: its payload as the two numbers it would travel in.
inline Handled handled(const Message& message) {
  const RawParameters raw = raw_parameters(message.payload);
  return {message.window, message.code, raw.first, raw.second};
}

// The window system on a headless screen, with a class whose windows write down every message
// they get before doing what a window does by default.
class WindowSystemTest : public ::testing::Test {
 protected:
  static constexpr std::string_view logged_class = "Logged";
  static constexpr Pixel logged_background = rgb(0x33, 0x66, 0x99);
  // Where the inner area of a window made by make_top's default lies on the screen.
  static constexpr Point top_inner_origin{100 + HeadlessDisplay::default_frame.left,
                                          100 + HeadlessDisplay::default_frame.top};

  void SetUp() override {
    auto headless = std::make_unique<HeadlessDisplay>(Size{1000, 800});
    display = headless.get();
    start_window_system(std::move(headless));
    register_class({std::string(logged_class), logged_background, true, [this](const Message& message) {
                      log.push_back(handled(message));
                      return default_handling(message);
                    }});
  }

  void TearDown() override { stop_window_system(); }

  // A hidden top-level window with a caption whose inner area is 400 x 300.
  WindowNode* make_top(Point outer_origin = {100, 100}) {
    const FrameExtents frame = HeadlessDisplay::default_frame;
    const Rect outer = Rect::at(outer_origin, {400 + frame.left + frame.right, 300 + frame.top + frame.bottom});
    return create_top_level(logged_class, "Test", style_title_bar, outer);
  }

  WindowNode* make_child(WindowNode& parent, const Rect& bounds, std::intptr_t id, bool tab_stop = true) {
    return create_child(logged_class, parent, "", 0, bounds, id, tab_stop);
  }

  struct TwoChildren {
    WindowNode* top;
    WindowNode* left;
    WindowNode* right;
  };
  // A shown top-level window with two children side by side, all painted.
  TwoChildren shown_with_two_children() {
    WindowNode* top = make_top();
    WindowNode* left = make_child(*top, {10, 10, 60, 40}, 1);
    WindowNode* right = make_child(*top, {100, 10, 150, 40}, 2);
    show_window(*top);
    drain();
    return {top, left, right};
  }

  // Handles everything that is waiting, painting included.
  void drain() {
    Message message;
    while (get_message(message, std::chrono::milliseconds(0))) {
      dispatch(message);
    }
  }

  // The messages handled from now on, without paints and erasing.
  std::vector<Handled> handled_since(std::size_t start) const {
    std::vector<Handled> found;
    for (std::size_t index = start; index < log.size(); ++index) {
      if (log[index].code != MessageCode::Paint && log[index].code != MessageCode::EraseBackground) {
        found.push_back(log[index]);
      }
    }
    return found;
  }

  static Point on_screen(const WindowNode& window, Point at) {
    for (const WindowNode* part = &window; part != nullptr; part = part->parent()) {
      at = {at.x + part->bounds().left, at.y + part->bounds().top};
    }
    return at;
  }

  HeadlessDisplay* display = nullptr;
  std::vector<Handled> log;
};

}  // namespace platform
