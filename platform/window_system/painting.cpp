// Painting: areas marked on windows, painted when the queue is empty or at once on request, each
// window over its parent, and the painted parts of a top-level window handed to the display.

#include "platform/window_system/window_system.h"

#include <algorithm>
#include <cassert>
#include <vector>

#include "platform/graphics/scale.h"
#include "platform/window_system/system_state.h"

namespace platform {

using internal::running;

namespace {

// Shows what was painted, once the outermost painting has ended.
void present_damage(WindowNode& top) {
  internal::System& system = internal::state();
  if (!state_of(top).damage.empty() && system.paint_depth == 0) {
    const Rect shown = scaled(state_of(top).damage, top.scale()).intersected(Rect::at({0, 0}, top.device_size()));
    if (!shown.empty()) {
      state_of(top).surface.pixels = system.display->present(top, shown);
    }
    state_of(top).damage = {};
  }
}

// Whether what is painted on the window now would be seen.
bool paintable(WindowNode& window) {
  WindowNode& top = *top_level_of(&window);
  return window.visible() && top.visible() && !top.minimized() && internal::state().display->on_screen(top);
}

// The rows of `area` outside those from `top` to `bottom`, as one rectangle.
Rect rows_outside(const Rect& area, int top, int bottom) {
  const Rect above{area.left, area.top, area.right, std::min(area.bottom, top)};
  const Rect below{area.left, std::max(area.top, bottom), area.right, area.bottom};
  return above.united(below);
}

// Calls the handler with the window's mark cut to `part` (in its top-level's coordinates); what
// the handler leaves marked is unmarked, so that one that does not paint is not asked again and
// again.
std::intptr_t paint_part(WindowNode& window, const Message& message, const Rect& part, Point offset, bool erase) {
  state_of(window).update = part.moved(-offset.x, -offset.y);
  state_of(window).erase = erase;
  const std::intptr_t result = internal::call_handler(window, message);
  if (is_window(&window)) {
    state_of(window).update = {};
    state_of(window).erase = false;
  }
  return result;
}

}  // namespace

WindowNode* internal::first_needing_paint() {
  for (const auto& window : internal::state().windows) {
    if (!window->update().empty() && paintable(*window)) {
      return window.get();
    }
  }
  return nullptr;
}

// A surface that holds a band of rows is moved down the marked area a band at a time, and each
// band is shown before the next is painted. A child painted within its parent's painting only
// gets the band at hand; the rest of its mark waits for a painting of its own.
std::intptr_t internal::paint_marked(WindowNode& window, const Message& message) {
  WindowNode& top = *top_level_of(&window);
  Surface& surface = state_of(top).surface;
  const int band_rows = surface.size.height / top.scale();
  if (band_rows <= 0) {
    return paint_part(window, message, {}, {0, 0}, false);  // nothing to paint into
  }
  if (band_rows >= top.bounds().height()) {
    return paint_part(window, message, window.update(), {0, 0}, state_of(window).erase);
  }
  const Point offset = offset_in_top_level(window);
  // A child may reach past its top-level window: rows beyond the window are never seen, and no
  // band is moved there.
  const Rect marked = window.update().moved(offset.x, offset.y).intersected(inner_rect(top));
  const bool erase = state_of(window).erase;
  if (marked.empty()) {
    return paint_part(window, message, {}, offset, false);
  }
  if (internal::state().paint_depth > 0) {
    const int band_top = surface.top / top.scale();
    const Rect left_over = rows_outside(marked, band_top, band_top + band_rows);
    // Painting is cut to the surface's rows.
    const std::intptr_t result = paint_part(window, message, marked, offset, erase);
    if (is_window(&window)) {
      state_of(window).update = left_over.moved(-offset.x, -offset.y);
      state_of(window).erase = erase && !left_over.empty();
    }
    return result;
  }
  std::intptr_t result = 0;
  for (int band_top = marked.top; band_top < marked.bottom && is_window(&window); band_top += band_rows) {
    surface.top = band_top * top.scale();
    result = paint_part(window, message, {marked.left, band_top, marked.right, std::min(marked.bottom, band_top + band_rows)},
                        offset, erase);
  }
  return result;
}

void invalidate(WindowNode& window, std::optional<Rect> area, bool erase) {
  if (!is_window(&window)) {
    return;
  }
  const Rect whole = internal::inner_rect(window);
  const Rect marked = area ? area->intersected(whole) : whole;
  if (marked.empty()) {
    return;
  }
  state_of(window).update = window.update().united(marked);
  state_of(window).erase = state_of(window).erase || erase;
}

void update_window(WindowNode& window) {
  if (!is_window(&window) || window.update().empty()) {
    return;
  }
  if (paintable(window)) {
    dispatch(Message{&window, MessageCode::Paint});
  }
}

PaintContext begin_paint(WindowNode& window) {
  WindowNode* top = top_level_of(&window);
  const Point offset = internal::offset_in_top_level(window);
  PaintContext context(state_of(*top).surface, offset, window.update(), top->scale());
  const bool erase = state_of(window).erase;
  state_of(window).update = {};
  state_of(window).erase = false;
  ++internal::state().paint_depth;
  if (erase) {
    Message message{&window, MessageCode::EraseBackground};
    message.paint = &context;
    internal::call_handler(window, message);
  }
  return context;
}

void end_paint(WindowNode& window, const PaintContext& context) {
  WindowNode* top = top_level_of(&window);
  const Point offset = internal::offset_in_top_level(window);
  state_of(*top).damage = state_of(*top).damage.united(context.clip().moved(offset.x, offset.y));
  // Children lie over their parent's background: paint them again where it was painted.
  for (WindowNode* child : std::vector<WindowNode*>(window.children())) {
    const Rect under = context.clip().intersected(child->bounds());
    if (child->visible() && is_window(child) && !under.empty()) {
      state_of(*child).update = child->update().united(under.moved(-child->bounds().left, -child->bounds().top));
      dispatch(Message{child, MessageCode::Paint});
    }
  }
  assert(internal::state().paint_depth > 0 && "end_paint after its begin_paint");
  --internal::state().paint_depth;
  present_damage(*top);
}

PaintContext& erase_context(const Message& message) {
  assert(message.code == MessageCode::EraseBackground && message.paint != nullptr && "an erasing that begin_paint sent");
  return *message.paint;
}

namespace input {

// Painted again rather than shown from the surface: a picture then shows its image's pixels as
// they are now, not as they were when the surface was last composed. The exposed device pixels
// are widened to the layout pixels that cover them.
void exposed(const WindowNode& reported, const Rect& area) {
  WindowNode* owned = internal::own(reported);
  if (owned == nullptr) return;
  WindowNode& top = *owned;
  const int scale = top.scale();
  invalidate(top, Rect{area.left / scale, area.top / scale, (area.right + scale - 1) / scale,
                       (area.bottom + scale - 1) / scale},
             true);
}

}  // namespace input
}  // namespace platform
