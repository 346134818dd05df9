#pragma once

// What the window system's own files share. Nothing outside platform/window_system/*.cpp includes this:
// callers see the window system through platform/window_system/window_system.h only.

#include <cassert>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/window_system/seam.h"
#include "platform/window_system/window_system.h"

namespace platform {

// The window system's hold on what it keeps of a window: only its own files reach it.
struct WindowAccess {
  static WindowState& of(WindowNode& window) { return window.state_; }
  static const WindowState& of(const WindowNode& window) { return window.state_; }
};

inline WindowState& state_of(WindowNode& window) { return WindowAccess::of(window); }
inline const WindowState& state_of(const WindowNode& window) { return WindowAccess::of(window); }

}  // namespace platform

namespace platform::internal {

// Pointer and key input waits in the queue as it came from the display; which window it goes to
// is decided when it is taken out, so that it follows the capture and focus of that moment.
struct RawInput {
  enum class Kind { PointerMove, Button, Key } kind;
  Point at;
  MouseButton button = MouseButton::Left;
  bool pressed = false;
  std::uint32_t time = 0;
  Key key = Key::Other;
  std::int32_t modifiers = 0;
};

struct QueueEntry {
  Message message;  // for raw input: the top-level window it arrived at
  std::optional<RawInput> raw;
};

// The press that a next press may make a double click of.
struct LastPress {
  WindowNode* window = nullptr;
  MouseButton button = MouseButton::Left;
  std::uint32_t time = 0;
  Point at;
};

struct System {
  std::unique_ptr<NativeDisplay> display;
  std::vector<std::unique_ptr<WindowNode>> windows;  // in creation order
  std::map<std::string, WindowClass, std::less<>> classes;
  std::deque<QueueEntry> queue;  // posted messages and raw input, oldest first
  WindowNode* focus = nullptr;
  WindowNode* capture = nullptr;
  WindowNode* active = nullptr;
  LastPress last_press;
  int paint_depth = 0;  // begin_paint calls not yet ended; damage is shown when it drops to 0
};

// The one running window system; empty while none runs.
inline std::unique_ptr<System> running_system;

inline System* running() { return running_system.get(); }

// The running window system where the caller is sure one runs: a backend reports only while it
// does, and a window exists only inside one. Reaching it otherwise is a fault of the caller.
inline System& state() {
  assert(running_system != nullptr && "the window system runs");
  return *running_system;
}

inline Rect inner_rect(const WindowNode& window) { return Rect::at({0, 0}, window.bounds().size()); }

// Where a window's inner area lies in its top-level window's inner area.
inline Point offset_in_top_level(const WindowNode& window) {
  Point offset;
  for (const WindowNode* part = &window; !part->top_level(); part = part->parent()) {
    offset.x += part->bounds().left;
    offset.y += part->bounds().top;
  }
  return offset;
}

// Whether `window` is `ancestor` or lies inside it.
inline bool within(const WindowNode* window, const WindowNode& ancestor) {
  for (; window != nullptr; window = window->parent()) {
    if (window == &ancestor) {
      return true;
    }
  }
  return false;
}

// The window system's own window that a backend reports about (backends hold windows as const);
// nothing for one it no longer has.
WindowNode* own(const WindowNode& reported);

// Calls the window's handler, or the default handling when it has none.
std::intptr_t call_handler(WindowNode& window, const Message& message);

// The message that raw input becomes at the moment it is taken out of the queue.
Message resolve_input(WindowNode& top, const RawInput& raw);

// The first window, in creation order, with an area to paint that can be seen.
WindowNode* first_needing_paint();
// Has the window's handler paint what is marked on it, band by band where the surface holds only
// some rows of the window, and unmarks it.
std::intptr_t paint_marked(WindowNode& window, const Message& message);

// The scale a top-level window is shown at on the display as it is now.
int fitting_scale_of(const WindowNode& top);
// A new top-level window's placement: asked for where its bounds are, and centred when its frame
// goes where centred_origin puts it.
void start_placement(WindowNode& top, Point outer_origin);

}  // namespace platform::internal
