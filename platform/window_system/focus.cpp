// The keyboard focus and the order of tab stops, the keyboard shortcuts, the pointer capture, and the
// active window.

#include <algorithm>
#include <vector>

#include "platform/window_system/system_state.h"
#include "platform/window_system/window_system.h"

namespace platform {

using internal::running;

WindowNode* focus() { return running() != nullptr ? running()->focus : nullptr; }

void set_focus(WindowNode* window) {
  internal::System* system = running();
  if (system == nullptr || (window != nullptr && !is_window(window)) || system->focus == window) {
    return;
  }
  WindowNode* previous = system->focus;
  system->focus = window;
  send(previous, MessageCode::KillFocus);
  send(window, MessageCode::SetFocus);
}

WindowNode* next_tab_stop(WindowNode& parent, bool forward) {
  std::vector<WindowNode*> stops;
  for (WindowNode* child : parent.children()) {
    if (child->tab_stop() && child->enabled() && child->visible()) {
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

WindowNode* capture() { return running() != nullptr ? running()->capture : nullptr; }

void set_capture(WindowNode* window) {
  internal::System* system = running();
  if (system == nullptr || !is_window(window) || system->capture == window) {
    return;
  }
  WindowNode* previous = system->capture;
  system->capture = window;
  send(previous, MessageCode::CaptureLost);
}

void release_capture() {
  internal::System* system = running();
  if (system != nullptr && system->capture != nullptr) {
    WindowNode* previous = system->capture;
    system->capture = nullptr;
    send(previous, MessageCode::CaptureLost);
  }
}

WindowNode* active_window() { return running() != nullptr ? running()->active : nullptr; }

bool ShortcutTable::translate(WindowNode& window, const Message& message) const {
  if (message.code != MessageCode::KeyDown) {
    return false;
  }
  const KeyStroke& stroke = message.as<KeyStroke>();
  const auto entry = std::find_if(entries_.begin(), entries_.end(), [&stroke](const Shortcut& shortcut) {
    return shortcut.key == stroke.key && shortcut.modifiers == stroke.modifiers;
  });
  if (entry == entries_.end()) {
    return false;
  }
  send(&window, MessageCode::ShortcutCommand, ShortcutCommand{entry->command});
  return true;
}


namespace input {

void activation(const WindowNode& reported, bool active) {
  WindowNode* owned = internal::own(reported);
  if (owned == nullptr) return;
  WindowNode& top = *owned;
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
