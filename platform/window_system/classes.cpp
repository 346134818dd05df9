// Window classes, message handlers and what a window does by default, and named properties.

#include <algorithm>

#include "platform/window_system/system_state.h"
#include "platform/window_system/window_system.h"

namespace platform {

using internal::running;

bool register_class(WindowClass window_class) {
  internal::System* system = running();
  if (system == nullptr || window_class.name.empty() || system->classes.count(window_class.name) != 0) {
    return false;
  }
  const std::string name = window_class.name;
  system->classes.emplace(name, std::move(window_class));
  return true;
}

bool unregister_class(std::string_view name) {
  internal::System* system = running();
  if (system == nullptr) {
    return false;
  }
  const auto found = system->classes.find(name);
  if (found == system->classes.end()) {
    return false;
  }
  const bool in_use = std::any_of(system->windows.begin(), system->windows.end(),
                                  [&](const auto& window) { return window->window_class() == &found->second; });
  if (in_use) {
    return false;
  }
  system->classes.erase(found);
  return true;
}

Handler set_handler(WindowNode& window, Handler handler) {
  std::swap(state_of(window).handler, handler);
  return handler;
}

std::intptr_t internal::call_handler(WindowNode& window, const Message& message) {
  // A copy, since a handler may replace itself while it runs.
  const Handler handler = state_of(window).handler;
  return handler ? handler(message) : default_handling(message);
}

std::intptr_t default_handling(const Message& message) {
  WindowNode* window = message.window;
  switch (message.code) {
    case MessageCode::Paint: {
      const PaintContext context = begin_paint(*window);
      end_paint(*window, context);
      return 0;
    }
    case MessageCode::EraseBackground:
      erase_context(message).fill(internal::inner_rect(*window), window->window_class()->background);
      return 1;
    case MessageCode::Close:
      destroy_window(window);
      return 0;
    case MessageCode::Activate:
      if (message.as<Activation>().active) {
        set_focus(window);
      }
      return 0;
    case MessageCode::ColourSchemeChanged:
      invalidate(*window);
      return 0;
    default:
      return 0;
  }
}

void set_property(WindowNode& window, std::string_view name, std::intptr_t value) {
  state_of(window).properties.insert_or_assign(std::string(name), value);
}

std::optional<std::intptr_t> property(const WindowNode& window, std::string_view name) {
  const auto found = state_of(window).properties.find(name);
  return found != state_of(window).properties.end() ? std::optional(found->second) : std::nullopt;
}

void remove_property(WindowNode& window, std::string_view name) {
  const auto found = state_of(window).properties.find(name);
  if (found != state_of(window).properties.end()) {
    state_of(window).properties.erase(found);
  }
}

}  // namespace platform
