// Messages: sent ones are handled at once; posted ones and the display's input wait in one queue,
// oldest first, and areas to paint come out only when the queue is empty.

#include "platform/window_system/system_state.h"
#include "platform/window_system/window_system.h"

namespace platform {

using internal::running;

std::intptr_t send(WindowNode* window, MessageCode code, Payload payload) {
  if (!is_window(window)) {
    return 0;
  }
  return internal::call_handler(*window, Message{window, code, payload});
}

void post(WindowNode* window, MessageCode code, Payload payload) {
  internal::System* system = running();
  if (system != nullptr && (window == nullptr || is_window(window))) {
    system->queue.push_back({Message{window, code, payload}, std::nullopt});
  }
}

bool get_message(Message& message, std::optional<std::chrono::milliseconds> limit) {
  internal::System* system = running();
  if (system == nullptr) {
    return false;
  }
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = limit ? Clock::now() + *limit : Clock::time_point::max();
  for (;;) {
    if (system->queue.empty()) {
      system->display->pump(false, std::nullopt);
    }
    if (!system->queue.empty()) {
      const internal::QueueEntry entry = system->queue.front();
      system->queue.pop_front();
      message = entry.raw ? internal::resolve_input(*entry.message.window, *entry.raw) : entry.message;
      return true;
    }
    if (WindowNode* window = internal::first_needing_paint()) {
      message = Message{window, MessageCode::Paint};
      return true;
    }
    std::optional<std::chrono::milliseconds> remaining;
    if (limit) {
      remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
      if (remaining->count() <= 0) {
        return false;
      }
    }
    if (!system->display->pump(true, remaining) && limit) {
      return false;
    }
  }
}

std::intptr_t dispatch(const Message& message) {
  internal::System* system = running();
  if (system == nullptr || !is_window(message.window)) {
    return 0;
  }
  WindowNode* window = message.window;
  if (message.code == MessageCode::Paint) {
    return internal::paint_marked(*window, message);
  }
  const std::intptr_t result = internal::call_handler(*window, message);
  if (!is_window(window)) {
    return result;
  }
  if (message.code == MessageCode::Activate && !message.as<Activation>().active && internal::within(system->focus, *window)) {
    // The handler has seen which control had the focus; an inactive window holds none.
    set_focus(nullptr);
  }
  return result;
}

}  // namespace platform

namespace platform {

RawParameters raw_parameters(const Payload& payload) {
  struct Numbers {
    RawParameters operator()(std::monostate) const { return {}; }
    RawParameters operator()(Point point) const { return {point.x, point.y}; }
    RawParameters operator()(const KeyStroke& stroke) const {
      return {static_cast<std::intptr_t>(stroke.key), stroke.modifiers};
    }
    RawParameters operator()(SizeKind kind) const { return {static_cast<std::intptr_t>(kind), 0}; }
    RawParameters operator()(Activation activation) const { return {activation.active ? 1 : 0, 0}; }
    RawParameters operator()(const ControlNotice& notice) const { return {notice.notification, notice.id}; }
    RawParameters operator()(ShortcutCommand shortcut) const { return {shortcut.command, 0}; }
  };
  return std::visit(Numbers{}, payload);
}

}  // namespace platform
