// One small handler per kind of X event, each passing on what it means to the window system.

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/window_system/window_system.h"
#include "platform/x11/errors.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/xlib.h"

namespace platform {
namespace {

Key key_of(KeySym symbol) {
  switch (symbol) {
    case XK_Tab:
    case XK_ISO_Left_Tab:
      return Key::Tab;
    case XK_space:
      return Key::Space;
    default:
      return Key::Other;
  }
}

std::int32_t modifiers_of(unsigned int state) {
  std::int32_t modifiers = NoModifier;
  if ((state & ShiftMask) != 0) modifiers |= Shift;
  if ((state & ControlMask) != 0) modifiers |= Control;
  if ((state & Mod1Mask) != 0) modifiers |= Alt;
  return modifiers;
}

}  // namespace

// One small function per kind of event, looked up by the event's type.
const X11Display::EventTable& X11Display::event_table() {
  static const EventTable table = [] {
    EventTable handlers{};
    handlers[Expose] = &X11Display::on_expose;
    handlers[ConfigureNotify] = &X11Display::on_configure;
    handlers[ReparentNotify] = &X11Display::on_reparent;
    handlers[MapNotify] = &X11Display::on_map;
    handlers[DestroyNotify] = &X11Display::on_destroy;
    handlers[ClientMessage] = &X11Display::on_client_message;
    handlers[FocusIn] = &X11Display::on_focus_in;
    handlers[FocusOut] = &X11Display::on_focus_out;
    handlers[PropertyNotify] = &X11Display::on_property;
    handlers[ButtonPress] = &X11Display::on_button;
    handlers[ButtonRelease] = &X11Display::on_button;
    handlers[MotionNotify] = &X11Display::on_motion;
    handlers[KeyPress] = &X11Display::on_key;
    handlers[KeyRelease] = &X11Display::on_key;
    return handlers;
  }();
  return table;
}

bool X11Display::handle(XEvent& event) {
  if (event.type == MappingNotify) {
    xlib().XRefreshKeyboardMapping(&event.xmapping);
    return false;
  }
  if (event.type == PropertyNotify && event.xproperty.window == root_) {
    return on_root_property(event.xproperty);
  }
  if (event.type == PropertyNotify && event.xproperty.window == frame_probe_) {
    return on_probe_property(event.xproperty);
  }
  const WindowNode* window = window_of(event.xany.window);
  if (window == nullptr || event.type < 0 || event.type >= LASTEvent) {
    return false;
  }
  const EventHandler handler = event_table()[static_cast<std::size_t>(event.type)];
  return handler != nullptr && (this->*handler)(event, *window);
}

bool X11Display::on_root_property(const XPropertyEvent& event) {
  if (event.atom != resource_manager_) {
    return false;
  }
  if (read_dpi()) {
    input::resolution_changed();
  }
  input::colour_scheme_changed();
  return true;
}

// The surface covers the layout; whatever size a window manager forces on the window, the rest
// shows the window's background.
bool X11Display::on_expose(XEvent& event, const WindowNode& window) {
  const XExposeEvent& expose = event.xexpose;
  const Rect area = Rect::at({expose.x, expose.y}, {expose.width, expose.height});
  Native* native = native_of(window);
  native->exposed = true;
  input::exposed(window, area);
  const Size layout = window.device_size();
  const Rect beyond_right{layout.width, area.top, area.right, area.bottom};
  const Rect beyond_bottom{area.left, layout.height, std::min(area.right, layout.width), area.bottom};
  xlib().XSetForeground(x_, native->gc, format_->pixel_of(window.window_class()->background));
  for (const Rect& part : {beyond_right.intersected(area), beyond_bottom.intersected(area)}) {
    if (!part.empty()) {
      xlib().XFillRectangle(x_, native->xid, native->gc, part.left, part.top, static_cast<unsigned>(part.width()),
                            static_cast<unsigned>(part.height()));
    }
  }
  return true;
}

// The window manager's answer for the window that is never shown: the frame new windows are
// guessed to get, where no window has told of its own yet.
bool X11Display::on_probe_property(const XPropertyEvent& event) {
  if (event.atom == net_frame_extents_) {
    if (const auto extents = read_frame_extents(frame_probe_)) {
      frame_ = *extents;
    }
  }
  return false;
}

// Framed by the window manager: the frame is reported before the place, so that a window that is
// still centred is centred again with it. A window that was on the screen before any window
// manager took it is adopted by the one that now frames it. Put back on the root, a window being
// shown anew is shown.
bool X11Display::on_reparent(XEvent& event, const WindowNode& window) {
  Native& native = *native_of(window);
  if (event.xreparent.parent == root_) {
    native.framed = false;
    if (native.show_anew_at) {
      map_anew(window, native);
    }
    return true;
  }
  const bool adopted = native.mapped && !native.managed && !native.framed;
  native.framed = true;
  if (adopted) {
    input::adopted(window);
  }
  frame_of_parent_arrived(window, native);
  return true;
}

// Mapped: where the window is now settles the place it was shown at without a window manager;
// under one it is a place on the way (KWin maps and exposes a window in a frame still at 0,0).
bool X11Display::on_map(XEvent& event, const WindowNode& window) {
  Native& native = *native_of(window);
  native.mapped = true;
  if (const std::optional<Point> origin = screen_origin(event.xmap.window)) {
    report_place(window, native, *origin, event.xmap.serial);
  }
  return true;
}

std::optional<Point> X11Display::screen_origin(::Window xid) {
  Point origin;
  ::Window child = 0;
  if (xlib().XTranslateCoordinates(x_, xid, root_, 0, 0, &origin.x, &origin.y, &child) == 0) {
    return std::nullopt;
  }
  return origin;
}

bool X11Display::on_configure(XEvent& event, const WindowNode& window) {
  Native& native = *native_of(window);
  frame_of_parent_arrived(window, native);
  const XConfigureEvent& configure = event.xconfigure;
  Point origin{configure.x, configure.y};
  if (!configure.send_event) {
    // A real event gives the position in the frame; where the inner area is on the screen is
    // asked of the server.
    const std::optional<Point> on_screen = screen_origin(configure.window);
    if (!on_screen) {
      return true;
    }
    origin = *on_screen;
  }
  report_place(window, native, origin, configure.serial);
  return true;
}

// Destroyed by another client: the program ends as after a close.
bool X11Display::on_destroy(XEvent&, const WindowNode& window) {
  Native& native = *native_of(window);
  native.destroyed = true;
  x_error_routes().former_windows.insert(native.xid);
  input::close_requested(window);
  return true;
}

bool X11Display::on_client_message(XEvent& event, const WindowNode& window) {
  if (event.xclient.message_type == wm_protocols_ &&
      static_cast<Atom>(event.xclient.data.l[0]) == wm_delete_window_) {
    input::close_requested(window);
  }
  return true;
}

bool X11Display::on_focus_in(XEvent& event, const WindowNode& window) {
  if (event.xfocus.detail != NotifyPointer && event.xfocus.detail != NotifyInferior) {
    input::activation(window, true);
  }
  return true;
}

bool X11Display::on_focus_out(XEvent& event, const WindowNode& window) {
  if (event.xfocus.detail != NotifyPointer && event.xfocus.detail != NotifyInferior &&
      event.xfocus.mode != NotifyGrab) {
    input::activation(window, false);
  }
  return true;
}

bool X11Display::on_property(XEvent& event, const WindowNode& window) {
  Native& native = *native_of(window);
  if (native.destroyed) {
    return false;
  }
  if (event.xproperty.atom == wm_state_) {
    const long state = window_state(native.xid);
    native.managed = native.managed || state != WithdrawnState;
    if (state == WithdrawnState && native.show_anew_at) {
      map_anew(window, native);
      return true;
    }
    if (state == IconicState || state == NormalState) {
      input::state_changed(window, state == IconicState);
    }
  } else if (event.xproperty.atom == net_frame_extents_) {
    frame_extents_arrived(window, native);
  }
  return true;
}

bool X11Display::on_button(XEvent& event, const WindowNode& window) {
  const XButtonEvent& press = event.xbutton;
  if (press.button > 3) {
    return false;  // the wheel
  }
  const Native& native = *native_of(window);
  if (press.type == ButtonPress && !native.managed && !native.destroyed) {
    // No window manager gives the keyboard to the window that is clicked: it takes it itself.
    xlib().XSetInputFocus(x_, native.xid, RevertToParent, press.time);
  }
  const MouseButton button = press.button == 1   ? MouseButton::Left
                             : press.button == 3 ? MouseButton::Right
                                                 : MouseButton::Middle;
  input::button(window, button, press.type == ButtonPress, {press.x, press.y}, static_cast<std::uint32_t>(press.time));
  return true;
}

bool X11Display::on_motion(XEvent& event, const WindowNode& window) {
  // Only the latest position of a burst of moves matters; a move after a press or a release stays
  // after it.
  XEvent next{};
  while (xlib().XEventsQueued(x_, QueuedAlready) > 0 && xlib().XPeekEvent(x_, &next) != 0 &&
         next.type == MotionNotify && next.xmotion.window == event.xmotion.window) {
    xlib().XNextEvent(x_, &event);
  }
  input::pointer_moved(window, {event.xmotion.x, event.xmotion.y}, static_cast<std::uint32_t>(event.xmotion.time));
  return true;
}

bool X11Display::on_key(XEvent& event, const WindowNode& window) {
  if (!detectable_auto_repeat_) {
    // Asked at the first key rather than at start-up: from then on only presses repeat while a
    // key is held, never a release.
    xlib().XkbSetDetectableAutoRepeat(x_, True, nullptr);
    detectable_auto_repeat_ = true;
  }
  input::key(window, key_of(xlib().XLookupKeysym(&event.xkey, 0)), event.type == KeyPress,
             modifiers_of(event.xkey.state));
  return true;
}

}  // namespace platform
