// Where top-level windows go and at what scale: both follow the desktop's resolution, the primary
// monitor and the frame the desktop puts around each window. A backend only reports where a window
// is and what its frame is; every decision to move a window is taken here.

#include <algorithm>

#include "platform/graphics/display_dpi.h"
#include "platform/graphics/scale.h"
#include "platform/window_system/system_state.h"
#include "platform/window_system/window_system.h"

namespace platform {

using internal::running;

namespace {

Size outer_device_size(Size inner, int scale, const FrameExtents& frame) {
  return {inner.width * scale + frame.left + frame.right, inner.height * scale + frame.top + frame.bottom};
}

// The primary monitor and the part of it left to windows.
struct Desk {
  Rect monitor;
  Rect work;
};

Desk desk_of(NativeDisplay& display) {
  const Rect monitor = display.monitor();
  const std::optional<Rect> told = display.work_area();
  const Rect work = told ? told->intersected(monitor) : monitor;
  return {monitor, work.empty() ? monitor : work};
}

// On the monitor where the window fits it. A window wider than the work area has its right edge on
// the work area's, so that its buttons, at the right end, can be reached; one taller than the
// monitor has its top on the work area's, so that its title bar can. A window never shrinks below
// its layout. `wanted` is where the frame's top-left would go if nothing were cut.
Point placed(Point wanted, Size outer, const Desk& desk) {
  const Rect& monitor = desk.monitor;
  const int x = outer.width <= desk.work.width()
                    ? std::clamp(wanted.x, monitor.left, std::max(monitor.left, monitor.right - outer.width))
                    : desk.work.right - outer.width;
  const int y = outer.height <= monitor.height() ? std::clamp(wanted.y, monitor.top, monitor.bottom - outer.height)
                                                 : desk.work.top;
  return {x, y};
}

// Where the frame's top-left goes for a frame of `outer` size centred on the primary monitor.
Point centred_on_monitor(Size outer, const Desk& desk) {
  const Rect& monitor = desk.monitor;
  return placed({monitor.left + (monitor.width() - outer.width) / 2, monitor.top + (monitor.height() - outer.height) / 2},
                outer, desk);
}

// Where the inner area of a top-level window goes when it is centred with the frame it has now.
Point centred_inner_origin(const WindowNode& top) {
  const Point outer = centred_on_monitor(outer_device_size(top.bounds().size(), top.scale(), top.frame()),
                                         desk_of(*internal::state().display));
  return {outer.x + top.frame().left, outer.y + top.frame().top};
}

// What the display is asked for to have the inner area at `inner_origin`.
Point requested_origin(const WindowNode& top, Point inner_origin) {
  return state_of(top).placement.frame_placed ? Point{inner_origin.x - top.frame().left, inner_origin.y - top.frame().top}
                                    : inner_origin;
}

bool asked_earlier(const WindowState::Placement& placement, Point inner_origin) {
  return std::find(placement.asked_before.begin(), placement.asked_before.end(), inner_origin) !=
         placement.asked_before.end();
}

// A new place asked for; late reports may still name the one before.
void note_asked(WindowState::Placement& placement, Point inner_origin) {
  placement.asked_before.push_back(placement.asked);
  placement.asked = inner_origin;
  placement.awaiting = true;
}

void ask_to_move(WindowNode& top, Point inner_origin) {
  // Where it is already, with no other move on its way.
  if (!state_of(top).placement.awaiting && inner_origin == top.bounds().origin()) {
    state_of(top).placement.asked = inner_origin;
    return;
  }
  if (state_of(top).placement.awaiting && state_of(top).placement.asked == inner_origin) {
    return;
  }
  note_asked(state_of(top).placement, inner_origin);
  internal::state().display->place_window(top, requested_origin(top, inner_origin));
}

}  // namespace

int internal::fitting_scale_of(const WindowNode& top) {
  NativeDisplay& display = *internal::state().display;
  return fitting_scale(display.dpi(), top.bounds().size(), top.frame(), display.monitor().size());
}

void internal::start_placement(WindowNode& top, Point outer_origin) {
  state_of(top).placement.asked = top.bounds().origin();
  state_of(top).placement.centred = outer_origin == centred_origin(top.bounds().size(), top.style());
}

Point centred_origin(Size inner, std::uint32_t style) {
  internal::System* system = running();
  if (system == nullptr) {
    return {};
  }
  NativeDisplay& display = *system->display;
  const FrameExtents frame = display.frame_extents(style);
  const Size monitor = display.monitor().size();
  return centred_on_monitor(outer_device_size(inner, fitting_scale(display.dpi(), inner, frame, monitor), frame),
                            desk_of(display));
}

namespace input {

// A report of the place that was asked for settles the window there; a report of any other place
// after that, other than a late one of a place asked for earlier, is the user's doing, and the
// window keeps that place from then on.
//
// A window that arrives shifted by its frame from where it was asked to go is under a window
// manager that reads positions the other way: as the frame's where the window system gave the
// inner area's, or the inner area's where it gave the frame's. It is asked again in those terms,
// which hold from then on. Some window managers read the place a window is first shown at as the
// frame's and every later one as the inner area's, so the reading may change twice; a window
// manager that keeps changing it is followed no further.
void moved(const WindowNode& reported, Point inner_origin) {
  WindowNode* owned = internal::own(reported);
  if (owned == nullptr) return;
  WindowNode& top = *owned;
  WindowState::Placement& placement = state_of(top).placement;
  const Point shift{top.frame().left, top.frame().top};
  const Point read_the_other_way = placement.frame_placed
                                       ? Point{placement.asked.x - shift.x, placement.asked.y - shift.y}
                                       : Point{placement.asked.x + shift.x, placement.asked.y + shift.y};
  constexpr int most_reading_changes = 2;
  // Where the window is, before it is asked to go anywhere else: the answer may come at once.
  if (top.bounds().origin() != inner_origin) {
    state_of(top).bounds = Rect::at(inner_origin, top.bounds().size());
    post(&top, MessageCode::Move, inner_origin);
  }
  if (inner_origin == placement.asked) {
    placement.awaiting = false;
  } else if (placement.awaiting && shift != Point{} && inner_origin == read_the_other_way &&
             placement.readings_changed < most_reading_changes) {
    placement.frame_placed = !placement.frame_placed;
    ++placement.readings_changed;
    // A late report of this place is no move of the user's.
    placement.asked_before.push_back(inner_origin);
    internal::state().display->place_window(top, requested_origin(top, placement.asked));
  } else if (!placement.awaiting && !asked_earlier(placement, inner_origin)) {
    placement.centred = false;
  }
}

void frame_changed(const WindowNode& reported, const FrameExtents& frame) {
  WindowNode* owned = internal::own(reported);
  if (owned == nullptr) return;
  WindowNode& top = *owned;
  if (top.frame() == frame) {
    return;
  }
  state_of(top).frame = frame;
  if (state_of(top).placement.centred) {
    ask_to_move(top, centred_inner_origin(top));
  }
}

// Each window keeps its centre where it fits, and is painted again: its captions follow the new
// resolution even where its scale stays. Then each hears of it, for what it made at the old one.
void resolution_changed() {
  internal::System& system = internal::state();
  NativeDisplay& display = *system.display;
  set_display_dpi(layout_dpi(display.dpi()));
  for (const auto& window : system.windows) {
    if (!window->top_level()) {
      continue;
    }
    WindowNode& top = *window;
    const int scale = internal::fitting_scale_of(top);
    if (scale != top.scale()) {
      const Size old_outer = outer_device_size(top.bounds().size(), top.scale(), top.frame());
      const Size outer = outer_device_size(top.bounds().size(), scale, top.frame());
      // Where the window is, or is about to be: a move asked for may not have been made yet.
      const Point inner_now = state_of(top).placement.awaiting ? state_of(top).placement.asked : top.bounds().origin();
      const Point centre{inner_now.x - top.frame().left + old_outer.width / 2,
                         inner_now.y - top.frame().top + old_outer.height / 2};
      const Point origin =
          placed({centre.x - outer.width / 2, centre.y - outer.height / 2}, outer, desk_of(display));
      const Point inner_origin{origin.x + top.frame().left, origin.y + top.frame().top};
      const int old_scale = top.scale();
      const WindowState::Placement old_placement = state_of(top).placement;
      state_of(top).scale = scale;
      note_asked(state_of(top).placement, inner_origin);
      if (const std::optional<Surface> surface = display.resize_window(top, requested_origin(top, inner_origin))) {
        state_of(top).surface = *surface;
        state_of(top).bounds = Rect::at(inner_origin, top.bounds().size());
        // The new surface is blank: it is painted before the server can show any of it.
        invalidate(top);
        update_window(top);
        continue;
      }
      state_of(top).scale = old_scale;
      state_of(top).placement = old_placement;
    }
    invalidate(top);
  }
  for (const auto& window : system.windows) {
    if (window->top_level()) {
      post(window.get(), MessageCode::ResolutionChanged);
    }
  }
}

}  // namespace input
}  // namespace platform
