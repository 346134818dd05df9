// Windows: making and destroying them, finding them in the tree of parents and children, and
// what the display reports about a top-level window's state.

#include <algorithm>

#include "platform/window_system/system_state.h"
#include "platform/window_system/window_system.h"

namespace platform {

using internal::running;

namespace {

const WindowClass* find_class(std::string_view name) {
  internal::System* system = running();
  if (system == nullptr) {
    return nullptr;
  }
  const auto found = system->classes.find(name);
  return found != system->classes.end() ? &found->second : nullptr;
}

}  // namespace

WindowNode* create_top_level(std::string_view class_name, std::string_view title, std::uint32_t style, const Rect& outer) {
  const WindowClass* window_class = find_class(class_name);
  if (window_class == nullptr) {
    return nullptr;
  }
  internal::System& system = internal::state();
  auto window = std::make_unique<WindowNode>();
  WindowState& state = state_of(*window);
  state.window_class = window_class;
  state.handler = window_class->handler;
  state.text = title;
  state.style = style;
  state.frame = system.display->frame_extents(style);
  const FrameExtents& frame = state.frame;
  state.bounds = {outer.left + frame.left, outer.top + frame.top, std::max(outer.left + frame.left + 1, outer.right - frame.right),
                  std::max(outer.top + frame.top + 1, outer.bottom - frame.bottom)};
  state.scale = internal::fitting_scale_of(*window);
  internal::start_placement(*window, outer.origin());
  const std::optional<NativeWindow> native = system.display->create_window(*window);
  if (!native) {
    return nullptr;
  }
  state.native = native->handle;
  state.surface = native->surface;
  system.windows.push_back(std::move(window));
  return system.windows.back().get();
}

WindowNode* create_child(std::string_view class_name, WindowNode& parent, std::string_view text, std::uint32_t style,
                     const Rect& bounds, std::intptr_t id, bool tab_stop) {
  const WindowClass* window_class = find_class(class_name);
  if (window_class == nullptr || !is_window(&parent)) {
    return nullptr;
  }
  internal::System& system = internal::state();
  auto window = std::make_unique<WindowNode>();
  WindowState& state = state_of(*window);
  state.window_class = window_class;
  state.handler = window_class->handler;
  state.parent = &parent;
  state.text = text;
  state.style = style;
  state.bounds = {bounds.left, bounds.top, std::max(bounds.left, bounds.right), std::max(bounds.top, bounds.bottom)};
  state.id = id;
  state.tab_stop = tab_stop;
  state.visible = true;
  state_of(parent).children.push_back(window.get());
  system.windows.push_back(std::move(window));
  WindowNode* child = system.windows.back().get();
  invalidate(*child);
  return child;
}

void destroy_window(WindowNode* window) {
  internal::System* system = running();
  if (system == nullptr || !is_window(window)) {
    return;
  }
  send(window, MessageCode::Destroy);
  // The handler may have destroyed it already.
  if (!is_window(window)) {
    return;
  }
  while (!window->children().empty()) {
    destroy_window(window->children().back());
  }
  if (internal::within(system->focus, *window)) {
    system->focus = nullptr;
  }
  if (internal::within(system->capture, *window)) {
    system->capture = nullptr;
  }
  if (system->active == window) {
    system->active = nullptr;
  }
  if (system->last_press.window == window) {
    system->last_press = {};
  }
  std::erase_if(system->queue, [window](const internal::QueueEntry& entry) { return entry.message.window == window; });
  if (window->top_level()) {
    system->display->destroy_window(*window);
    state_of(*window).surface = {};
  } else {
    std::erase(state_of(*window->parent()).children, window);
    if (window->visible()) {
      invalidate(*window->parent(), window->bounds());
    }
  }
  std::erase_if(system->windows, [window](const auto& owned) { return owned.get() == window; });
}

bool is_window(const WindowNode* window) {
  internal::System* system = running();
  return system != nullptr && window != nullptr &&
         std::any_of(system->windows.begin(), system->windows.end(),
                     [window](const auto& owned) { return owned.get() == window; });
}

WindowNode* top_level_of(WindowNode* window) {
  while (window != nullptr && !window->top_level()) {
    window = window->parent();
  }
  return window;
}

const WindowNode* child_with_id(const WindowNode& parent, std::intptr_t id) {
  const std::vector<WindowNode*>& children = parent.children();
  const auto found = std::find_if(children.begin(), children.end(), [id](const WindowNode* child) { return child->id() == id; });
  return found != children.end() ? *found : nullptr;
}

WindowNode* child_with_id(WindowNode& parent, std::intptr_t id) {
  const std::vector<WindowNode*>& children = parent.children();
  const auto found = std::find_if(children.begin(), children.end(), [id](const WindowNode* child) { return child->id() == id; });
  return found != children.end() ? *found : nullptr;
}

void show_window(WindowNode& window) {
  internal::System* system = running();
  if (system == nullptr || !is_window(&window) || !window.top_level()) {
    return;
  }
  if (!window.visible()) {
    state_of(window).visible = true;
    invalidate(window);
  }
  system->display->show(window);
}

void move_child(WindowNode& window, const Rect& bounds) {
  if (!is_window(&window) || window.top_level() || window.bounds() == bounds) {
    return;
  }
  const Rect old = window.bounds();
  state_of(window).bounds = bounds;
  invalidate(*window.parent(), old);
  invalidate(window);
}

void set_enabled(WindowNode& window, bool enabled) {
  if (window.enabled() != enabled) {
    state_of(window).enabled = enabled;
    if (!enabled && internal::within(internal::state().focus, window)) {
      set_focus(nullptr);
    }
    invalidate(window);
  }
}

void set_child_id(WindowNode& child, std::intptr_t id) { state_of(child).id = id; }

WindowNode* internal::own(const WindowNode& reported) {
  for (const std::unique_ptr<WindowNode>& window : internal::state().windows) {
    if (window.get() == &reported) return window.get();
  }
  return nullptr;
}

namespace input {

void close_requested(const WindowNode& reported) {
  if (WindowNode* top = internal::own(reported)) post(top, MessageCode::Close);
}

void state_changed(const WindowNode& reported, bool minimized) {
  WindowNode* owned = internal::own(reported);
  if (owned == nullptr) return;
  WindowNode& top = *owned;
  if (top.minimized() == minimized) {
    return;
  }
  state_of(top).minimized = minimized;
  post(&top, MessageCode::SizeState, minimized ? SizeKind::Minimized : SizeKind::Restored);
  if (!minimized) {
    invalidate(top);
  }
}

}  // namespace input
}  // namespace platform
