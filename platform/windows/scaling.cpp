// The scale of top-level windows and where a centred one goes: both follow the desktop's
// resolution and the primary monitor.

#include <algorithm>

#include "platform/graphics/display_dpi.h"
#include "platform/graphics/scale.h"
#include "platform/windows/system_state.h"
#include "platform/windows/window_system.h"

namespace platform {

using internal::running;

namespace {

Size outer_device_size(Size inner, int scale, const FrameExtents& frame) {
  return {inner.width * scale + frame.left + frame.right, inner.height * scale + frame.top + frame.bottom};
}

// On each axis: centred on the monitor where the window fits it, else with the frame's edge at the
// work area's, so that the title bar's left end, where the window is taken to move it, can be
// reached. `wanted` is where the window would go if nothing were cut.
Point placed(Point wanted, Size outer, Size monitor, const Rect& work) {
  const auto axis = [](int position, int length, int monitor_length, int work_start) {
    return length <= monitor_length ? std::clamp(position, 0, monitor_length - length) : work_start;
  };
  return {axis(wanted.x, outer.width, monitor.width, work.left), axis(wanted.y, outer.height, monitor.height, work.top)};
}

}  // namespace

int internal::fitting_scale_of(const Window& top) {
  Display& display = *running()->display;
  return fitting_scale(display.dpi(), top.bounds.size(), top.frame, display.screen_size());
}

Point centred_origin(Size inner, std::uint32_t style) {
  internal::System* system = running();
  if (system == nullptr) {
    return {};
  }
  Display& display = *system->display;
  const FrameExtents frame = display.frame_extents(style);
  const Size monitor = display.screen_size();
  const Size outer = outer_device_size(inner, fitting_scale(display.dpi(), inner, frame, monitor), frame);
  return placed({(monitor.width - outer.width) / 2, (monitor.height - outer.height) / 2}, outer, monitor,
                display.work_area());
}

namespace input {

// Each window keeps its centre where it fits, and is painted again: its captions follow the new
// resolution even where its scale stays.
void resolution_changed() {
  internal::System& system = *running();
  Display& display = *system.display;
  set_display_dpi(layout_dpi(display.dpi()));
  for (const auto& window : system.windows) {
    if (!window->top_level()) {
      continue;
    }
    Window& top = *window;
    const int scale = internal::fitting_scale_of(top);
    if (scale != top.scale) {
      const Size old_outer = outer_device_size(top.bounds.size(), top.scale, top.frame);
      const Size outer = outer_device_size(top.bounds.size(), scale, top.frame);
      const Point centre{top.bounds.left - top.frame.left + old_outer.width / 2,
                         top.bounds.top - top.frame.top + old_outer.height / 2};
      const Point origin = placed({centre.x - outer.width / 2, centre.y - outer.height / 2}, outer,
                                  display.screen_size(), display.work_area());
      const int old_scale = top.scale;
      top.scale = scale;
      if (display.resize_window(top, origin)) {
        top.bounds = Rect::at({origin.x + top.frame.left, origin.y + top.frame.top}, top.bounds.size());
        // The new surface is blank: it is painted before the server can show any of it.
        invalidate(top);
        update_window(top);
        continue;
      }
      top.scale = old_scale;
    }
    invalidate(top);
  }
}

}  // namespace input
}  // namespace platform
