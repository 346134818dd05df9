// Painting: areas marked on windows, painted when the queue is empty or at once on request, each
// window over its parent, and the painted parts of a top-level window handed to the display.

#include <vector>

#include "platform/paint.h"
#include "platform/scale.h"
#include "platform/window_system.h"
#include "platform/window_system_state.h"

namespace platform {

using internal::running;

namespace {

// Shows what was painted, once the outermost painting has ended.
void present_damage(Window& top) {
  internal::System& system = *running();
  if (!top.damage.empty() && system.paint_depth == 0) {
    system.display->present(top, scaled(top.damage, top.scale));
    top.damage = {};
  }
}

}  // namespace

Window* internal::first_needing_paint() {
  for (const auto& window : running()->windows) {
    const Window* top = top_level_of(window.get());
    if (!window->update.empty() && window->visible && top->visible && !top->minimized) {
      return window.get();
    }
  }
  return nullptr;
}

void invalidate(Window& window, std::optional<Rect> area, bool erase) {
  if (!is_window(&window)) {
    return;
  }
  const Rect whole = internal::inner_rect(window);
  const Rect marked = area ? area->intersected(whole) : whole;
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
  const Point offset = internal::offset_in_top_level(window);
  PaintContext context(top->surface, offset, window.update, top->scale);
  const bool erase = window.erase;
  window.update = {};
  window.erase = false;
  ++running()->paint_depth;
  if (erase) {
    Message message{&window, MessageCode::EraseBackground};
    message.paint = &context;
    internal::call_handler(window, message);
  }
  return context;
}

void end_paint(Window& window, const PaintContext& context) {
  Window* top = top_level_of(&window);
  const Point offset = internal::offset_in_top_level(window);
  top->damage = top->damage.united(context.clip().moved(offset.x, offset.y));
  // Children lie over their parent's background: paint them again where it was painted.
  for (Window* child : std::vector<Window*>(window.children)) {
    const Rect under = context.clip().intersected(child->bounds);
    if (child->visible && is_window(child) && !under.empty()) {
      child->update = child->update.united(under.moved(-child->bounds.left, -child->bounds.top));
      dispatch(Message{child, MessageCode::Paint});
    }
  }
  --running()->paint_depth;
  present_damage(*top);
}

PaintContext& erase_context(const Message& message) { return *message.paint; }

namespace input {

// Painted again rather than shown from the surface: a picture then shows its image's pixels as
// they are now, not as they were when the surface was last composed. The exposed device pixels
// are widened to the layout pixels that cover them.
void exposed(Window& top, const Rect& area) {
  const int scale = top.scale;
  invalidate(top, Rect{area.left / scale, area.top / scale, (area.right + scale - 1) / scale,
                       (area.bottom + scale - 1) / scale},
             true);
}

}  // namespace input
}  // namespace platform
