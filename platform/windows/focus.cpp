// The keyboard focus and the order of tab stops, the pointer capture, and the active window.

#include <algorithm>
#include <vector>

#include "platform/windows/system_state.h"
#include "platform/windows/window_system.h"

namespace platform {

using internal::running;

Window* focus() { return running() != nullptr ? running()->focus : nullptr; }

void set_focus(Window* window) {
  internal::System* system = running();
  if (system == nullptr || (window != nullptr && !is_window(window)) || system->focus == window) {
    return;
  }
  Window* previous = system->focus;
  system->focus = window;
  send(previous, MessageCode::KillFocus);
  send(window, MessageCode::SetFocus);
}

Window* next_tab_stop(Window& parent, bool forward) {
  std::vector<Window*> stops;
  for (Window* child : parent.children) {
    if (child->tab_stop && child->enabled && child->visible) {
      stops.push_back(child);
    }
  }
  if (stops.empty()) {
    return nullptr;
  }
  const auto focused = std::find(stops.begin(), stops.end(), focus());
  if (forward) {
    return focused == stops.end() || focused + 1 == stops.end() ? stops.front() : *(focused + 1);
  }
  return focused == stops.end() || focused == stops.begin() ? stops.back() : *(focused - 1);
}

Window* capture() { return running() != nullptr ? running()->capture : nullptr; }

void set_capture(Window* window) {
  internal::System* system = running();
  if (system == nullptr || !is_window(window) || system->capture == window) {
    return;
  }
  Window* previous = system->capture;
  system->capture = window;
  send(previous, MessageCode::CaptureLost);
}

void release_capture() {
  internal::System* system = running();
  if (system != nullptr && system->capture != nullptr) {
    Window* previous = system->capture;
    system->capture = nullptr;
    send(previous, MessageCode::CaptureLost);
  }
}

Window* active_window() { return running() != nullptr ? running()->active : nullptr; }

namespace input {

void activation(Window& top, bool active) {
  internal::System* system = &internal::state();
  if (active && system->active != &top) {
    system->active = &top;
    post(&top, MessageCode::Activate, Activation{true});
  } else if (!active && system->active == &top) {
    system->active = nullptr;
    post(&top, MessageCode::Activate, Activation{false});
  }
}

}  // namespace input
}  // namespace platform
