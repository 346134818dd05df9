// Pointer and key input: queued as the display reports it, given to a window when it is taken out
// of the queue, with presses turned into double clicks where a window's class asks for them.

#include <cassert>
#include <cstdlib>

#include "platform/graphics/scale.h"
#include "platform/window_system/system_state.h"
#include "platform/window_system/window_system.h"

namespace platform {

using internal::running;

namespace {

// The deepest visible, enabled window under a point of a top-level window's inner area, and the
// point in its coordinates.
WindowNode* window_at(WindowNode& top, Point& at) {
  WindowNode* found = &top;
  for (bool descended = true; descended;) {
    descended = false;
    for (auto child = found->children().rbegin(); child != found->children().rend(); ++child) {
      WindowNode* candidate = *child;
      if (candidate->visible() && candidate->enabled() && candidate->bounds().contains(at)) {
        at = {at.x - candidate->bounds().left, at.y - candidate->bounds().top};
        found = candidate;
        descended = true;
        break;
      }
    }
  }
  return found;
}

// Where pointer input at a point of a top-level window goes: the capturing window when it belongs
// to that window, else the window under the point.
WindowNode* pointer_target(WindowNode& top, Point& at) {
  WindowNode* capture = internal::state().capture;
  if (capture != nullptr && top_level_of(capture) == &top) {
    const Point offset = internal::offset_in_top_level(*capture);
    at = {at.x - offset.x, at.y - offset.y};
    return capture;
  }
  return window_at(top, at);
}

// A press close enough in time and place to the last one, on the same window and with the same
// button, is a double click when the window's class asks for them.
bool is_double_click(const WindowNode& target, const internal::RawInput& press) {
  const internal::LastPress& last = internal::state().last_press;
  const SystemMetrics& metrics = system_metrics();
  return target.window_class()->double_clicks && last.window == &target && last.button == press.button &&
         press.time - last.time <= metrics.double_click_time &&
         std::abs(press.at.x - last.at.x) <= metrics.double_click_distance.width &&
         std::abs(press.at.y - last.at.y) <= metrics.double_click_distance.height;
}

MessageCode button_code(MouseButton button, bool pressed, bool double_click) {
  if (button == MouseButton::Left) {
    return double_click ? MessageCode::LeftDoubleClick : pressed ? MessageCode::LeftDown : MessageCode::LeftUp;
  }
  return double_click ? MessageCode::RightDoubleClick : pressed ? MessageCode::RightDown : MessageCode::RightUp;
}

void queue_input(WindowNode& top, const internal::RawInput& raw) {
  assert(top.top_level() && "input arrives at top-level windows");
  internal::state().queue.push_back({Message{&top}, raw});
}

// The layout pixel under a device pixel of a top-level window.
Point layout_point(const WindowNode& top, Point device) {
  return {unscaled(device.x, top.scale()), unscaled(device.y, top.scale())};
}

}  // namespace

// Pointer input goes to the capturing window or the window under the pointer, keys to the
// focused window.
Message internal::resolve_input(WindowNode& top, const RawInput& raw) {
  System& system = internal::state();
  if (raw.kind == RawInput::Kind::Key) {
    WindowNode* target = within(system.focus, top) ? system.focus : &top;
    return {target, raw.pressed ? MessageCode::KeyDown : MessageCode::KeyUp, KeyStroke{raw.key, raw.modifiers}};
  }
  Point at = raw.at;
  WindowNode* target = pointer_target(top, at);
  if (raw.kind == RawInput::Kind::PointerMove) {
    return {target, MessageCode::MouseMove, at};
  }
  bool double_click = false;
  if (raw.pressed) {
    double_click = is_double_click(*target, raw);
    system.last_press = double_click ? LastPress{} : LastPress{target, raw.button, raw.time, raw.at};
  }
  return {target, button_code(raw.button, raw.pressed, double_click), at};
}

namespace input {

void pointer_moved(const WindowNode& reported, Point at, std::uint32_t time) {
  WindowNode* owned = internal::own(reported);
  if (owned == nullptr) return;
  WindowNode& top = *owned;
  queue_input(top, {internal::RawInput::Kind::PointerMove, layout_point(top, at), MouseButton::Left, false, time});
}

void button(const WindowNode& reported, MouseButton which, bool pressed, Point at, std::uint32_t time) {
  WindowNode* owned = internal::own(reported);
  if (owned == nullptr) return;
  WindowNode& top = *owned;
  if (which != MouseButton::Middle) {
    queue_input(top, {internal::RawInput::Kind::Button, layout_point(top, at), which, pressed, time});
  }
}

void key(const WindowNode& reported, Key key, bool pressed, std::int32_t modifiers) {
  WindowNode* owned = internal::own(reported);
  if (owned == nullptr) return;
  WindowNode& top = *owned;
  queue_input(top, {internal::RawInput::Kind::Key, {}, MouseButton::Left, pressed, 0, key, modifiers});
}

}  // namespace input
}  // namespace platform
