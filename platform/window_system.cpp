#include "platform/window_system.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <map>

#include "platform/controls.h"
#include "platform/display_dpi.h"
#include "platform/paint.h"

namespace platform {
namespace {

struct LastPress {
  Window* window = nullptr;
  MouseButton button = MouseButton::Left;
  std::uint32_t time = 0;
  Point at;
};

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

struct Queued {
  Message message;  // for raw input: the top-level window it arrived at
  std::optional<RawInput> raw;
};

struct System {
  std::unique_ptr<Display> display;
  std::vector<std::unique_ptr<Window>> windows;  // in creation order
  std::map<std::string, WindowClass, std::less<>> classes;
  std::deque<Queued> posted;
  Window* focus = nullptr;
  Window* capture = nullptr;
  Window* active = nullptr;
  LastPress last_press;
  int paint_depth = 0;
};

std::unique_ptr<System>& system_slot() {
  static std::unique_ptr<System> system;
  return system;
}

System* running() { return system_slot().get(); }

Point offset_in_top_level(const Window& window) {
  Point offset;
  for (const Window* part = &window; !part->top_level(); part = part->parent) {
    offset.x += part->bounds.left;
    offset.y += part->bounds.top;
  }
  return offset;
}

Rect inner_rect(const Window& window) { return Rect::at({0, 0}, window.bounds.size()); }

bool within(const Window* window, const Window& ancestor) {
  for (; window != nullptr; window = window->parent) {
    if (window == &ancestor) {
      return true;
    }
  }
  return false;
}

// The deepest visible, enabled window under a point of a top-level window's inner area, and the
// point in its coordinates.
Window* window_at(Window& top, Point& at) {
  Window* found = &top;
  for (bool descended = true; descended;) {
    descended = false;
    for (auto child = found->children.rbegin(); child != found->children.rend(); ++child) {
      Window* candidate = *child;
      if (candidate->visible && candidate->enabled && candidate->bounds.contains(at)) {
        at = {at.x - candidate->bounds.left, at.y - candidate->bounds.top};
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
Window* pointer_target(Window& top, Point& at) {
  System* system = running();
  if (system->capture != nullptr && top_level_of(system->capture) == &top) {
    const Point offset = offset_in_top_level(*system->capture);
    at = {at.x - offset.x, at.y - offset.y};
    return system->capture;
  }
  return window_at(top, at);
}

Window* first_needing_paint() {
  for (const auto& window : running()->windows) {
    const Window* top = top_level_of(window.get());
    if (!window->update.empty() && window->visible && top->visible && !top->minimized) {
      return window.get();
    }
  }
  return nullptr;
}

void present_damage(Window& top) {
  System* system = running();
  if (!top.damage.empty() && system->paint_depth == 0) {
    system->display->present(top, top.damage);
    top.damage = {};
  }
}

std::intptr_t call_handler(Window& window, const Message& message) {
  // A copy, since a handler may replace itself while it runs.
  const Handler handler = window.handler;
  return handler ? handler(message) : default_handling(message);
}

// The message that raw input becomes now: pointer input for the capturing window or the window
// under the pointer, keys for the focused window; presses close enough in time and place to the
// last one on a window that asks for them are double clicks.
Message resolve(Window& top, const RawInput& raw) {
  System* system = running();
  if (raw.kind == RawInput::Kind::Key) {
    Window* target = within(system->focus, top) ? system->focus : &top;
    return {target, raw.pressed ? MessageCode::KeyDown : MessageCode::KeyUp, static_cast<std::intptr_t>(raw.key),
            raw.modifiers};
  }
  Point at = raw.at;
  Window* target = pointer_target(top, at);
  if (raw.kind == RawInput::Kind::PointerMove) {
    return {target, MessageCode::MouseMove, at.x, at.y};
  }
  const bool left = raw.button == MouseButton::Left;
  MessageCode code = left ? (raw.pressed ? MessageCode::LeftDown : MessageCode::LeftUp)
                          : (raw.pressed ? MessageCode::RightDown : MessageCode::RightUp);
  if (raw.pressed) {
    const LastPress& last = system->last_press;
    const SystemMetrics& metrics = system_metrics();
    const bool double_click = target->window_class->double_clicks && last.window == target &&
                              last.button == raw.button && raw.time - last.time <= metrics.double_click_time &&
                              std::abs(raw.at.x - last.at.x) <= metrics.double_click_distance.width &&
                              std::abs(raw.at.y - last.at.y) <= metrics.double_click_distance.height;
    if (double_click) {
      code = left ? MessageCode::LeftDoubleClick : MessageCode::RightDoubleClick;
      system->last_press = {};
    } else {
      system->last_press = {target, raw.button, raw.time, raw.at};
    }
  }
  return {target, code, at.x, at.y};
}

}  // namespace

// --- The system ----------------------------------------------------------------------------

void start_window_system(std::unique_ptr<Display> display) {
  stop_window_system();
  system_slot() = std::make_unique<System>();
  set_display_dpi(display->dpi());
  running()->display = std::move(display);
  register_built_in_controls();
}

void stop_window_system() {
  System* system = running();
  if (system == nullptr) {
    return;
  }
  while (!system->windows.empty()) {
    destroy_window(top_level_of(system->windows.front().get()));
  }
  system_slot().reset();
}

bool window_system_running() { return running() != nullptr; }

Display* display() { return running() != nullptr ? running()->display.get() : nullptr; }

bool register_class(WindowClass window_class) {
  System* system = running();
  if (system == nullptr || window_class.name.empty() || system->classes.count(window_class.name) != 0) {
    return false;
  }
  const std::string name = window_class.name;
  system->classes.emplace(name, std::move(window_class));
  return true;
}

bool unregister_class(std::string_view name) {
  System* system = running();
  if (system == nullptr) {
    return false;
  }
  const auto found = system->classes.find(name);
  if (found == system->classes.end()) {
    return false;
  }
  const bool in_use = std::any_of(system->windows.begin(), system->windows.end(),
                                  [&](const auto& window) { return window->window_class == &found->second; });
  if (in_use) {
    return false;
  }
  system->classes.erase(found);
  return true;
}

// --- Windows -------------------------------------------------------------------------------

Window* create_top_level(std::string_view class_name, std::string_view title, std::uint32_t style, const Rect& outer) {
  System* system = running();
  const auto found = system != nullptr ? system->classes.find(class_name) : decltype(system->classes.end()){};
  if (system == nullptr || found == system->classes.end()) {
    return nullptr;
  }
  auto window = std::make_unique<Window>();
  window->window_class = &found->second;
  window->handler = found->second.handler;
  window->text = title;
  window->style = style;
  window->frame = system->display->frame_extents(style);
  const FrameExtents& frame = window->frame;
  window->bounds = {outer.left + frame.left, outer.top + frame.top,
                    std::max(outer.left + frame.left + 1, outer.right - frame.right),
                    std::max(outer.top + frame.top + 1, outer.bottom - frame.bottom)};
  if (!system->display->create_window(*window, outer.origin())) {
    return nullptr;
  }
  system->windows.push_back(std::move(window));
  return system->windows.back().get();
}

Window* create_child(std::string_view class_name, Window& parent, std::string_view text, std::uint32_t style,
                     const Rect& bounds, std::intptr_t id, bool tab_stop) {
  System* system = running();
  const auto found = system != nullptr ? system->classes.find(class_name) : decltype(system->classes.end()){};
  if (system == nullptr || found == system->classes.end() || !is_window(&parent)) {
    return nullptr;
  }
  auto window = std::make_unique<Window>();
  window->window_class = &found->second;
  window->handler = found->second.handler;
  window->parent = &parent;
  window->text = text;
  window->style = style;
  window->bounds = {bounds.left, bounds.top, std::max(bounds.left, bounds.right), std::max(bounds.top, bounds.bottom)};
  window->id = id;
  window->tab_stop = tab_stop;
  window->visible = true;
  parent.children.push_back(window.get());
  system->windows.push_back(std::move(window));
  Window* child = system->windows.back().get();
  invalidate(*child);
  return child;
}

void destroy_window(Window* window) {
  System* system = running();
  if (system == nullptr || !is_window(window)) {
    return;
  }
  send(window, MessageCode::Destroy);
  // The handler may have destroyed it already.
  if (!is_window(window)) {
    return;
  }
  while (!window->children.empty()) {
    destroy_window(window->children.back());
  }
  if (within(system->focus, *window)) {
    system->focus = nullptr;
  }
  if (within(system->capture, *window)) {
    system->capture = nullptr;
  }
  if (system->active == window) {
    system->active = nullptr;
  }
  if (system->last_press.window == window) {
    system->last_press = {};
  }
  std::erase_if(system->posted, [window](const Queued& queued) { return queued.message.window == window; });
  if (window->top_level()) {
    system->display->destroy_window(*window);
  } else {
    std::erase(window->parent->children, window);
    if (window->visible) {
      invalidate(*window->parent, window->bounds);
    }
  }
  std::erase_if(system->windows, [window](const auto& owned) { return owned.get() == window; });
}

bool is_window(const Window* window) {
  System* system = running();
  return system != nullptr && window != nullptr &&
         std::any_of(system->windows.begin(), system->windows.end(),
                     [window](const auto& owned) { return owned.get() == window; });
}

Window* top_level_of(Window* window) {
  while (window != nullptr && !window->top_level()) {
    window = window->parent;
  }
  return window;
}

Window* child_with_id(Window& parent, std::intptr_t id) {
  const auto found = std::find_if(parent.children.begin(), parent.children.end(),
                                  [id](const Window* child) { return child->id == id; });
  return found != parent.children.end() ? *found : nullptr;
}

Size outer_size(Size inner, std::uint32_t style) {
  System* system = running();
  const FrameExtents frame = system != nullptr ? system->display->frame_extents(style) : FrameExtents{};
  return {inner.width + frame.left + frame.right, inner.height + frame.top + frame.bottom};
}

Size primary_screen_size() {
  System* system = running();
  return system != nullptr ? system->display->screen_size() : Size{};
}

Handler set_handler(Window& window, Handler handler) {
  std::swap(window.handler, handler);
  return handler;
}

std::intptr_t default_handling(const Message& message) {
  Window* window = message.window;
  switch (message.code) {
    case MessageCode::Paint: {
      const PaintContext context = begin_paint(*window);
      end_paint(*window, context);
      return 0;
    }
    case MessageCode::EraseBackground:
      erase_context(message).fill(inner_rect(*window), window->window_class->background);
      return 1;
    case MessageCode::Close:
      destroy_window(window);
      return 0;
    case MessageCode::Activate:
      if (message.first != 0) {
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

void set_property(Window& window, std::string_view name, std::intptr_t value) {
  window.properties.insert_or_assign(std::string(name), value);
}

std::optional<std::intptr_t> property(const Window& window, std::string_view name) {
  const auto found = window.properties.find(name);
  return found != window.properties.end() ? std::optional(found->second) : std::nullopt;
}

void remove_property(Window& window, std::string_view name) {
  const auto found = window.properties.find(name);
  if (found != window.properties.end()) {
    window.properties.erase(found);
  }
}

void show_window(Window& window) {
  System* system = running();
  if (system == nullptr || !is_window(&window) || !window.top_level()) {
    return;
  }
  if (!window.visible) {
    window.visible = true;
    invalidate(window);
  }
  system->display->show(window);
}

void move_child(Window& window, const Rect& bounds) {
  if (!is_window(&window) || window.top_level() || window.bounds == bounds) {
    return;
  }
  const Rect old = window.bounds;
  window.bounds = bounds;
  invalidate(*window.parent, old);
  invalidate(window);
}

void set_enabled(Window& window, bool enabled) {
  if (window.enabled != enabled) {
    window.enabled = enabled;
    if (!enabled && within(running()->focus, window)) {
      set_focus(nullptr);
    }
    invalidate(window);
  }
}

// --- Messages ------------------------------------------------------------------------------

std::intptr_t send(Window* window, MessageCode code, std::intptr_t first, std::intptr_t second) {
  if (!is_window(window)) {
    return 0;
  }
  return call_handler(*window, Message{window, code, first, second});
}

void post(Window* window, MessageCode code, std::intptr_t first, std::intptr_t second) {
  System* system = running();
  if (system != nullptr && (window == nullptr || is_window(window))) {
    system->posted.push_back({Message{window, code, first, second}, std::nullopt});
  }
}

bool get_message(Message& message, std::optional<std::chrono::milliseconds> limit) {
  System* system = running();
  if (system == nullptr) {
    return false;
  }
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = limit ? Clock::now() + *limit : Clock::time_point::max();
  for (;;) {
    if (system->posted.empty()) {
      system->display->pump(false, std::nullopt);
    }
    if (!system->posted.empty()) {
      const Queued queued = system->posted.front();
      system->posted.pop_front();
      message = queued.raw ? resolve(*queued.message.window, *queued.raw) : queued.message;
      return true;
    }
    if (Window* window = first_needing_paint()) {
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
  System* system = running();
  if (system == nullptr || !is_window(message.window)) {
    return 0;
  }
  Window* window = message.window;
  const std::intptr_t result = call_handler(*window, message);
  if (!is_window(window)) {
    return result;
  }
  if (message.code == MessageCode::Paint) {
    // A handler that did not paint must not be asked again and again.
    window->update = {};
    window->erase = false;
  } else if (message.code == MessageCode::Activate && message.first == 0 && within(system->focus, *window)) {
    // The handler has seen which control had the focus; an inactive window holds none.
    set_focus(nullptr);
  }
  return result;
}

// --- Focus, capture, activation ------------------------------------------------------------

Window* focus() { return running() != nullptr ? running()->focus : nullptr; }

void set_focus(Window* window) {
  System* system = running();
  if (system == nullptr || (window != nullptr && !is_window(window)) || system->focus == window) {
    return;
  }
  Window* previous = system->focus;
  system->focus = window;
  send(previous, MessageCode::KillFocus);
  send(window, MessageCode::SetFocus);
}

Window* capture() { return running() != nullptr ? running()->capture : nullptr; }

void set_capture(Window* window) {
  System* system = running();
  if (system == nullptr || !is_window(window) || system->capture == window) {
    return;
  }
  Window* previous = system->capture;
  system->capture = window;
  send(previous, MessageCode::CaptureLost);
}

void release_capture() {
  System* system = running();
  if (system != nullptr && system->capture != nullptr) {
    Window* previous = system->capture;
    system->capture = nullptr;
    send(previous, MessageCode::CaptureLost);
  }
}

Window* active_window() { return running() != nullptr ? running()->active : nullptr; }

// --- Painting ------------------------------------------------------------------------------

void invalidate(Window& window, std::optional<Rect> area, bool erase) {
  if (!is_window(&window)) {
    return;
  }
  const Rect marked = area ? area->intersected(inner_rect(window)) : inner_rect(window);
  if (marked.empty()) {
    return;
  }
  window.update = window.update.united(marked);
  window.erase = window.erase || erase;
}

void update_window(Window& window) {
  if (!is_window(&window) || window.update.empty()) {
    return;
  }
  Window* top = top_level_of(&window);
  if (!window.visible || !top->visible || top->minimized) {
    return;
  }
  dispatch(Message{&window, MessageCode::Paint});
}

PaintContext begin_paint(Window& window) {
  Window* top = top_level_of(&window);
  const Point offset = offset_in_top_level(window);
  PaintContext context(top->surface, offset, window.update);
  const bool erase = window.erase;
  window.update = {};
  window.erase = false;
  ++running()->paint_depth;
  if (erase) {
    call_handler(window, Message{&window, MessageCode::EraseBackground, reinterpret_cast<std::intptr_t>(&context)});
  }
  return context;
}

void end_paint(Window& window, const PaintContext& context) {
  System* system = running();
  Window* top = top_level_of(&window);
  const Point offset = offset_in_top_level(window);
  top->damage = top->damage.united(context.clip().moved(offset.x, offset.y));
  // Children lie over their parent's background: paint them again where it was painted.
  for (Window* child : std::vector<Window*>(window.children)) {
    const Rect under = context.clip().intersected(child->bounds);
    if (child->visible && is_window(child) && !under.empty()) {
      child->update = child->update.united(under.moved(-child->bounds.left, -child->bounds.top));
      dispatch(Message{child, MessageCode::Paint});
    }
  }
  --system->paint_depth;
  present_damage(*top);
}

PaintContext& erase_context(const Message& message) { return *reinterpret_cast<PaintContext*>(message.first); }

// --- Desktop values ------------------------------------------------------------------------

std::uint32_t system_colour(SystemColour which) {
  switch (which) {
    case SystemColour::ButtonFace:
      return 0xF0F0F0;
    case SystemColour::ButtonText:
      return 0x000000;
    case SystemColour::GrayText:
      return 0x6D6D6D;
  }
  return 0;
}

const SystemMetrics& system_metrics() {
  static const SystemMetrics metrics;
  return metrics;
}

// --- Input from the display ----------------------------------------------------------------

namespace input {

void pointer_moved(Window& top, Point at, std::uint32_t time) {
  running()->posted.push_back({Message{&top}, RawInput{RawInput::Kind::PointerMove, at, MouseButton::Left, false, time}});
}

void button(Window& top, MouseButton which, bool pressed, Point at, std::uint32_t time) {
  if (which != MouseButton::Middle) {
    running()->posted.push_back({Message{&top}, RawInput{RawInput::Kind::Button, at, which, pressed, time}});
  }
}

void key(Window& top, Key key, bool pressed, std::int32_t modifiers) {
  RawInput raw{RawInput::Kind::Key, {}, MouseButton::Left, pressed, 0, key, modifiers};
  running()->posted.push_back({Message{&top}, raw});
}

void activation(Window& top, bool active) {
  System* system = running();
  if (active && system->active != &top) {
    system->active = &top;
    post(&top, MessageCode::Activate, 1);
  } else if (!active && system->active == &top) {
    system->active = nullptr;
    post(&top, MessageCode::Activate, 0);
  }
}

void close_requested(Window& top) { post(&top, MessageCode::Close); }

void moved(Window& top, Point inner_origin) {
  if (top.bounds.origin() != inner_origin) {
    top.bounds = Rect::at(inner_origin, top.bounds.size());
    post(&top, MessageCode::Move, inner_origin.x, inner_origin.y);
  }
}

void state_changed(Window& top, bool minimized) {
  if (top.minimized == minimized) {
    return;
  }
  top.minimized = minimized;
  post(&top, MessageCode::SizeState, static_cast<std::intptr_t>(minimized ? SizeKind::Minimized : SizeKind::Restored));
  if (!minimized) {
    invalidate(top);
  }
}

void exposed(Window& top, const Rect& area) {
  const Rect shown = area.intersected(inner_rect(top));
  if (!shown.empty() && top.surface.pixels != nullptr) {
    running()->display->present(top, shown);
  }
}

void colour_scheme_changed() {
  for (const auto& window : running()->windows) {
    if (window->top_level()) {
      post(window.get(), MessageCode::ColourSchemeChanged);
    }
  }
}

}  // namespace input
}  // namespace platform
