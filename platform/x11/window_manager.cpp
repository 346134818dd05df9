// What the program tells and asks the window manager: atoms, typed property reads and writes,
// hints, the title and the frame's extents; which of its answers tell where the window is, and
// showing a window anew where it will not move it.

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/window_system/seam.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/xlib.h"

namespace platform {
namespace {

// The Motif hints that window managers read for a window's functions and decorations.
struct MotifHints {
  unsigned long flags;
  unsigned long functions;
  unsigned long decorations;
  long input_mode;
  unsigned long status;

  std::array<long, 5> values() const {
    return {static_cast<long>(flags), static_cast<long>(functions), static_cast<long>(decorations), input_mode,
            static_cast<long>(status)};
  }
};
constexpr unsigned long motif_functions = 1, motif_decorations = 2;
constexpr unsigned long function_resize = 2, function_move = 4, function_minimize = 8, function_maximize = 16,
                        function_close = 32;
constexpr unsigned long decoration_border = 2, decoration_resize = 4, decoration_title = 8, decoration_menu = 16,
                        decoration_minimize = 32, decoration_maximize = 64;

std::string latin1_to_utf8(const std::string& text) {
  std::string utf8;
  for (const char character : text) {
    const auto code = static_cast<unsigned char>(character);
    if (code < 0x80) {
      utf8.push_back(static_cast<char>(code));
    } else {
      utf8.push_back(static_cast<char>(0xC0 | (code >> 6)));
      utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return utf8;
}

}  // namespace

template <typename Value>
std::vector<Value> X11Display::read_property(::Window xid, Atom property, Atom type, long most) {
  constexpr int wanted_format = sizeof(Value) == 1 ? 8 : 32;
  // The length is asked in 32-bit units.
  const long units = wanted_format == 32 ? most : (most + 3) / 4;
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<Value> values;
  if (xlib().XGetWindowProperty(x_, xid, property, 0, units, False, type, &actual, &format, &count, &after, &data) ==
          Success &&
      actual == type && format == wanted_format && data != nullptr) {
    // Xlib hands 32-bit values over as longs.
    const auto* typed = reinterpret_cast<const Value*>(data);
    values.assign(typed, typed + count);
  }
  if (data != nullptr) {
    xlib().XFree(data);
  }
  return values;
}

template std::vector<char> X11Display::read_property<char>(::Window, Atom, Atom, long);
template std::vector<long> X11Display::read_property<long>(::Window, Atom, Atom, long);

// Xlib takes the values of a 32-bit property as longs, whatever the width of long.
void X11Display::write_property(::Window xid, Atom property, Atom type, std::span<const long> values) {
  xlib().XChangeProperty(x_, xid, property, type, 32, PropModeReplace,
                         reinterpret_cast<const unsigned char*>(values.data()), static_cast<int>(values.size()));
}

void X11Display::write_property(::Window xid, Atom property, Atom type, std::string_view text) {
  xlib().XChangeProperty(x_, xid, property, type, 8, PropModeReplace,
                         reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
}

// All the atoms in one round trip to the server rather than one each.
void X11Display::intern_atoms() {
  const std::pair<const char*, Atom*> wanted[] = {
      {"WM_PROTOCOLS", &wm_protocols_},
      {"WM_DELETE_WINDOW", &wm_delete_window_},
      {"WM_STATE", &wm_state_},
      {"_NET_WM_NAME", &net_wm_name_},
      {"UTF8_STRING", &utf8_string_},
      {"_NET_WM_PID", &net_wm_pid_},
      {"_NET_FRAME_EXTENTS", &net_frame_extents_},
      {"_NET_REQUEST_FRAME_EXTENTS", &net_request_frame_extents_},
      {"_MOTIF_WM_HINTS", &motif_wm_hints_},
      {"_NET_WM_WINDOW_TYPE", &net_wm_window_type_},
      {"_NET_WM_WINDOW_TYPE_NORMAL", &net_wm_window_type_normal_},
      {"RESOURCE_MANAGER", &resource_manager_},
      {"_NET_WM_ICON", &net_wm_icon_},
      {"_NET_WORKAREA", &net_workarea_},
  };
  constexpr int count = static_cast<int>(std::size(wanted));
  std::array<char*, count> names{};
  std::array<Atom, count> atoms{};
  for (int i = 0; i < count; ++i) {
    names[i] = const_cast<char*>(wanted[i].first);  // Xlib's signature lacks const; it only reads them
  }
  xlib().XInternAtoms(x_, names.data(), count, False, atoms.data());
  for (int i = 0; i < count; ++i) {
    *wanted[i].second = atoms[i];
  }
}

std::optional<FrameExtents> X11Display::read_frame_extents(::Window xid) {
  const std::vector<long> values = property_values(xid, net_frame_extents_, XA_CARDINAL, 4);
  if (values.size() != 4) {
    return std::nullopt;
  }
  return FrameExtents{static_cast<int>(values[0]), static_cast<int>(values[1]), static_cast<int>(values[2]),
                      static_cast<int>(values[3])};
}

// What the window manager will put around a window is asked of it with a window that is never
// shown, as soon as the display opens; the answer usually comes while the program loads its fonts.
// Nothing ever waits for it: some window managers answer late or never, and without one nobody
// does. The window lives as long as the display, so that a late answer finds it.
void X11Display::request_frame_extents() {
  frame_probe_ = xlib().XCreateSimpleWindow(x_, root_, 0, 0, 100, 100, 0, 0, 0);
  xlib().XSelectInput(x_, frame_probe_, PropertyChangeMask);
  const MotifHints hints{motif_functions | motif_decorations, 0,
                         decoration_border | decoration_title | decoration_menu | decoration_minimize, 0, 0};
  write_property(frame_probe_, motif_wm_hints_, motif_wm_hints_, hints.values());
  XEvent request{};
  request.xclient.type = ClientMessage;
  request.xclient.window = frame_probe_;
  request.xclient.message_type = net_request_frame_extents_;
  request.xclient.format = 32;
  xlib().XSendEvent(x_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &request);
  xlib().XFlush(x_);
}

// The frame the window manager has told of, or none yet.
FrameExtents X11Display::frame_extents(std::uint32_t style) {
  if ((style & style_title_bar) == 0) {
    return {};
  }
  if (!frame_asked_) {
    // Read once; a later answer comes as an event.
    frame_asked_ = true;
    frame_ = read_frame_extents(frame_probe_);
  }
  return frame_.value_or(FrameExtents{});
}

// The window manager's part of the desktop, less its panels.
std::optional<Rect> X11Display::work_area() {
  const std::vector<long> area = property_values(root_, net_workarea_, XA_CARDINAL, 4);
  if (area.size() != 4) {
    return std::nullopt;
  }
  return Rect::at({static_cast<int>(area[0]), static_cast<int>(area[1])},
                  {static_cast<int>(area[2]), static_cast<int>(area[3])});
}

// A fixed size: the inner area at its scale, neither smaller nor larger. The position is the inner
// area's own: StaticGravity asks the window manager to put its frame around it there.
void X11Display::set_size_hints(::Window xid, Point inner_origin, Size size) {
  XSizeHints* size_hints = xlib().XAllocSizeHints();
  size_hints->flags = PPosition | USPosition | PMinSize | PMaxSize | PWinGravity;
  size_hints->x = inner_origin.x;
  size_hints->y = inner_origin.y;
  size_hints->min_width = size_hints->max_width = size.width;
  size_hints->min_height = size_hints->max_height = size.height;
  size_hints->win_gravity = StaticGravity;
  xlib().XSetWMNormalHints(x_, xid, size_hints);
  xlib().XFree(size_hints);
}

void X11Display::set_hints(const WindowNode& window, ::Window xid, Point inner_origin) {
  set_size_hints(xid, inner_origin, window.device_size());
  XWMHints* wm_hints = xlib().XAllocWMHints();
  wm_hints->flags = InputHint | StateHint;
  wm_hints->input = True;
  wm_hints->initial_state = NormalState;
  XClassHint* class_hint = xlib().XAllocClassHint();
  // Xlib takes the names as writable texts, though it only reads them.
  std::string instance_name(identity_.instance_name);
  std::string class_name(identity_.application_id);
  class_hint->res_name = instance_name.data();
  class_hint->res_class = class_name.data();
  xlib().XSetWMProperties(x_, xid, nullptr, nullptr, nullptr, 0, nullptr, wm_hints, class_hint);
  xlib().XFree(wm_hints);
  xlib().XFree(class_hint);

  Atom protocols[] = {wm_delete_window_};
  xlib().XSetWMProtocols(x_, xid, protocols, 1);
  const long pid = static_cast<long>(getpid());
  write_property(xid, net_wm_pid_, XA_CARDINAL, std::span<const long>(&pid, 1));
  const long window_type = static_cast<long>(net_wm_window_type_normal_);
  write_property(xid, net_wm_window_type_, XA_ATOM, std::span<const long>(&window_type, 1));
  if (!identity_.icon.empty()) {
    const std::vector<long> icon_values(identity_.icon.begin(), identity_.icon.end());
    write_property(xid, net_wm_icon_, XA_CARDINAL, icon_values);
  }

  // A fixed size: no resizing border and no maximize unless the style asks for them.
  MotifHints motif{motif_functions | motif_decorations, function_move, 0, 0, 0};
  if ((window.style() & style_title_bar) != 0) motif.decorations |= decoration_border | decoration_title;
  if ((window.style() & style_window_menu) != 0) {
    motif.decorations |= decoration_menu;
    motif.functions |= function_close;
  }
  if ((window.style() & style_minimize_box) != 0) {
    motif.decorations |= decoration_minimize;
    motif.functions |= function_minimize;
  }
  if ((window.style() & style_maximize_box) != 0) {
    motif.decorations |= decoration_maximize;
    motif.functions |= function_maximize;
  }
  if ((window.style() & style_sizing_border) != 0) {
    motif.decorations |= decoration_resize;
    motif.functions |= function_resize;
  }
  write_property(xid, motif_wm_hints_, motif_wm_hints_, motif.values());
  set_title(window);
}

void X11Display::set_title(const WindowNode& window) {
  const auto found = natives_.find(&window);
  if (found == natives_.end()) {
    return;
  }
  const ::Window xid = found->second.xid;
  // STRING is ISO 8859-1, as the title is; _NET_WM_NAME wants UTF-8.
  write_property(xid, XA_WM_NAME, XA_STRING, std::string_view(window.text()));
  write_property(xid, net_wm_name_, utf8_string_, std::string_view(latin1_to_utf8(window.text())));
}

long X11Display::window_state(::Window xid) {
  const std::vector<long> state = property_values(xid, wm_state_, wm_state_, 2);
  return state.empty() ? WithdrawnState : state.front();
}

// The window manager sets the frame's extents when it frames the window, and again whenever it
// changes the frame; new windows are guessed to get the latest. Some set them in steps (nothing
// first, then the real frame): each step is reported.
void X11Display::frame_extents_arrived(const WindowNode& window, Native& native) {
  if (const auto extents = read_frame_extents(native.xid)) {
    native.frame_told = true;
    frame_ = *extents;
    input::frame_changed(window, *extents);
  }
}

// Window managers that tell nothing of the frame (no EWMH at all, or not on the window itself)
// still put the window into a frame window of their own: the frame is what that window adds around
// the inner area.
void X11Display::frame_of_parent_arrived(const WindowNode& window, const Native& native) {
  if (native.frame_told || native.destroyed) {
    return;
  }
  ::Window outermost = native.xid;
  for (;;) {
    ::Window root = 0, parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    if (xlib().XQueryTree(x_, outermost, &root, &parent, &children, &count) == 0) {
      return;
    }
    if (children != nullptr) {
      xlib().XFree(children);
    }
    if (parent == root || parent == 0) {
      break;
    }
    outermost = parent;
  }
  if (outermost == native.xid) {
    return;  // not framed, or not yet
  }
  XWindowAttributes frame{}, inner{};
  Point at, corner;
  ::Window child = 0;
  if (xlib().XGetWindowAttributes(x_, outermost, &frame) == 0 ||
      xlib().XGetWindowAttributes(x_, native.xid, &inner) == 0 ||
      xlib().XTranslateCoordinates(x_, native.xid, root_, 0, 0, &at.x, &at.y, &child) == 0 ||
      xlib().XTranslateCoordinates(x_, outermost, root_, -frame.border_width, -frame.border_width, &corner.x, &corner.y,
                                   &child) == 0) {
    return;
  }
  const Size outer{frame.width + 2 * frame.border_width, frame.height + 2 * frame.border_width};
  const FrameExtents extents{at.x - corner.x, corner.x + outer.width - (at.x + inner.width), at.y - corner.y,
                             corner.y + outer.height - (at.y + inner.height)};
  // A frame window not yet sized around the window (i3 makes it small first) tells nothing yet.
  if (extents.left < 0 || extents.right < 0 || extents.top < 0 || extents.bottom < 0) {
    return;
  }
  input::frame_changed(window, extents);
}

void X11Display::note_request(Native& native) {
  native.asked_serial = NextRequest(x_);
  native.answered = false;
}

// The server numbers each event with the last request of this connection it had taken: one
// numbered from the latest move on answers it. The same place told again before that, as by both
// the server and the window manager of one move, is not reported twice.
void X11Display::report_place(const WindowNode& window, Native& native, Point origin, unsigned long serial) {
  const bool answer = serial >= native.asked_serial && !native.answered;
  if (origin == native.reported && !answer) {
    return;
  }
  native.reported = origin;
  native.answered = native.answered || answer;
  input::moved(window, origin);
}

// A window manager takes a new place only once the window is withdrawn: the window is shown again
// when it has let go (map_anew).
void X11Display::show_anew(const WindowNode& window, Point inner_origin) {
  Native* native = native_of(window);
  if (native == nullptr || native->destroyed) {
    return;
  }
  if (!native->managed && !native->framed) {
    place_window(window, inner_origin);
    return;
  }
  native->show_anew_at = inner_origin;
  xlib().XWithdrawWindow(x_, native->xid, screen_number_);
  xlib().XFlush(x_);
}

void X11Display::map_anew(const WindowNode& window, Native& native) {
  const Point origin = *native.show_anew_at;
  native.show_anew_at.reset();
  native.managed = native.framed = native.mapped = false;
  note_request(native);
  set_size_hints(native.xid, origin, window.device_size());
  xlib().XMoveWindow(x_, native.xid, origin.x, origin.y);
  xlib().XMapRaised(x_, native.xid);
  xlib().XFlush(x_);
}

}  // namespace platform
