// Where top-level windows go and at what scale: both follow the desktop's resolution, the primary
// monitor and the frame the desktop puts around each window. A backend only reports where a window
// is and what its frame is; every decision to move a window is taken here.

#include <algorithm>

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

// Whether the window with its frame fits where placed() needs no edge rule.
bool fits(const WindowNode& top, const Desk& desk) {
  const Size outer = outer_device_size(state_of(top).bounds.size(), state_of(top).scale, state_of(top).frame);
  return outer.width <= desk.work.width() && outer.height <= desk.monitor.height();
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

// A window manager may keep a window off the screen's edges however large it is: some where they
// show the window, and those take a later move; others on every move after that, and those take
// the place a window is shown at. A window that does not fit is asked again, by a move and then by
// showing it anew, so that its right edge, with its buttons, is on the screen. A window manager
// that never gives in is followed only a few times.
void overruled(WindowNode& top) {
  constexpr int most_overrulings = 4;
  WindowState::Placement& placement = state_of(top).placement;
  NativeDisplay& display = *internal::state().display;
  if (placement.overrulings == most_overrulings || fits(top, desk_of(display))) {
    return;
  }
  ++placement.overrulings;
  placement.awaiting = true;
  if (placement.overrulings % 2 == 0) {
    display.show_anew(top, requested_origin(top, placement.asked));
  } else {
    display.place_window(top, requested_origin(top, placement.asked));
  }
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
  state_of(top).placement.asked = state_of(top).bounds.origin();
  state_of(top).placement.centred = outer_origin == centred_origin(state_of(top).bounds.size(), state_of(top).style);
  state_of(top).placement.opened_centred = state_of(top).placement.centred;
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
//
// Another place reported while a move is awaited, or before the window is on the screen where the
// user could move it, is the window manager's own; a window that does not fit is asked again.
void moved(const WindowNode& reported, Point inner_origin) {
  WindowNode* owned = internal::own(reported);
  if (owned == nullptr) return;
  WindowNode& top = *owned;
  WindowState::Placement& placement = state_of(top).placement;
  const Point shift{state_of(top).frame.left, state_of(top).frame.top};
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
  } else if (asked_earlier(placement, inner_origin)) {
    return;
  } else if (placement.centred && (placement.awaiting || !internal::state().display->on_screen(top))) {
    overruled(top);
  } else if (!placement.awaiting) {
    placement.centred = false;
  }
}

// The window was on the screen before any window manager ran; the one that now frames it may have
// put it anywhere, and its frame is not yet known. A window the program centred is centred again,
// with each frame the window manager tells of from now on.
void adopted(const WindowNode& reported) {
  WindowNode* owned = internal::own(reported);
  if (owned == nullptr) return;
  WindowNode& top = *owned;
  WindowState::Placement& placement = state_of(top).placement;
  if (!placement.opened_centred) {
    return;
  }
  placement.centred = true;
  note_asked(placement, centred_inner_origin(top));
  internal::state().display->place_window(top, requested_origin(top, placement.asked));
}

void frame_changed(const WindowNode& reported, const FrameExtents& frame) {
  WindowNode* owned = internal::own(reported);
  if (owned == nullptr) return;
  WindowNode& top = *owned;
  if (state_of(top).frame == frame) {
    return;
  }
  state_of(top).frame = frame;
  if (state_of(top).placement.centred) {
    ask_to_move(top, centred_inner_origin(top));
  }
}

// Each window that takes another scale keeps its centre where it fits, and is painted again at the
// new one; its texts, drawn at the window's scale, change only with it.
void resolution_changed() {
  internal::System& system = internal::state();
  NativeDisplay& display = *system.display;
  for (const auto& window : system.windows) {
    if (!window->top_level()) {
      continue;
    }
    WindowNode& top = *window;
    const int scale = internal::fitting_scale_of(top);
    if (scale == state_of(top).scale) {
      continue;
    }
    const Size old_outer = outer_device_size(state_of(top).bounds.size(), state_of(top).scale, state_of(top).frame);
    const Size outer = outer_device_size(state_of(top).bounds.size(), scale, state_of(top).frame);
    // Where the window is, or is about to be: a move asked for may not have been made yet.
    const Point inner_now = state_of(top).placement.awaiting ? state_of(top).placement.asked : state_of(top).bounds.origin();
    const Point centre{inner_now.x - state_of(top).frame.left + old_outer.width / 2,
                       inner_now.y - state_of(top).frame.top + old_outer.height / 2};
    const Point origin =
        placed({centre.x - outer.width / 2, centre.y - outer.height / 2}, outer, desk_of(display));
    const Point inner_origin{origin.x + state_of(top).frame.left, origin.y + state_of(top).frame.top};
    const int old_scale = state_of(top).scale;
    const WindowState::Placement old_placement = state_of(top).placement;
    state_of(top).scale = scale;
    note_asked(state_of(top).placement, inner_origin);
    if (const std::optional<Surface> surface = display.resize_window(top, requested_origin(top, inner_origin))) {
      state_of(top).surface = *surface;
      state_of(top).bounds = Rect::at(inner_origin, state_of(top).bounds.size());
      // The new surface is blank: it is painted before the server can show any of it.
      invalidate(top);
      update_window(top);
    } else {
      state_of(top).scale = old_scale;
      state_of(top).placement = old_placement;
    }
  }
}

}  // namespace input
}  // namespace platform
