// The connection to the X server, the program's windows and their surfaces, and the wait for
// events.

#include "platform/x11/x11_display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/window_system/seam.h"
#include "platform/x11/backend.h"
#include "platform/x11/errors.h"
#include "platform/x11/resources.h"
#include "platform/x11/wait.h"
#include "platform/x11/xlib.h"

namespace platform {
namespace {

constexpr std::chrono::milliseconds first_map_patience{250};
constexpr std::chrono::milliseconds last_map_patience{2000};

}  // namespace

X11Display::X11Display(::Display* x, const ProgramIdentity& identity, MonitorQuery monitor, std::string& error,
                       DisplayFailureReport report)
    : identity_(identity),
      x_(x),
      screen_number_(DefaultScreen(x)),
      root_(RootWindow(x, DefaultScreen(x))),
      visual_(DefaultVisual(x, DefaultScreen(x))),
      depth_(DefaultDepth(x, DefaultScreen(x))) {
  install_x_error_handlers(report);
  format_ = true_colour_format(x_, visual_, depth_, error);
  if (!format_) {
    return;
  }
  intern_atoms();

  // Asked first, so that Xlib has nothing to complain about on a server without it.
  int major = 0, minor = 0;
  Bool pixmaps = False;
  shm_ = xlib().XShmQueryExtension(x_) == True && xlib().XShmQueryVersion(x_, &major, &minor, &pixmaps) == True;
  monitor_ = (monitor ? monitor() : randr_monitor())
                 .value_or(Rect::at({0, 0}, {DisplayWidth(x_, screen_number_), DisplayHeight(x_, screen_number_)}));
  // The resources as Xlib read them when it connected; later changes are read from the root.
  const char* resources = xlib().XResourceManagerString(x_);
  dpi_ = xft_dpi(resources != nullptr ? resources : "").value_or(96);
  // The desktop's settings (colours, fonts) live in the root window's resources.
  xlib().XSelectInput(x_, root_, PropertyChangeMask);
  request_frame_extents();
  x_error_routes().live_windows = &by_xid_;
  usable_ = true;
}

// Errors of requests still on their way are judged while the connection closes.
X11Display::~X11Display() {
  if (frame_probe_ != 0) {
    xlib().XDestroyWindow(x_, frame_probe_);
  }
  for (auto& [window, native] : natives_) {
    native.image.reset();
    xlib().XFreeGC(x_, native.gc);
    if (!native.destroyed) {
      xlib().XDestroyWindow(x_, native.xid);
    }
  }
  xlib().XCloseDisplay(x_);
  x_error_routes().live_windows = nullptr;
  x_error_routes().former_windows.clear();
}

// The primary monitor, else the first one that shows anything.
std::optional<Rect> X11Display::randr_monitor() {
  int event_base = 0, error_base = 0;
  if (!xlib().XRRQueryExtension(x_, &event_base, &error_base)) {
    return std::nullopt;
  }
  XRRScreenResources* resources = xlib().XRRGetScreenResourcesCurrent(x_, root_);
  if (resources == nullptr) {
    return std::nullopt;
  }
  std::vector<RRCrtc> candidates;
  if (const RROutput primary = xlib().XRRGetOutputPrimary(x_, root_)) {
    if (XRROutputInfo* output = xlib().XRRGetOutputInfo(x_, resources, primary)) {
      candidates.push_back(output->crtc);
      xlib().XRRFreeOutputInfo(output);
    }
  }
  candidates.insert(candidates.end(), resources->crtcs, resources->crtcs + resources->ncrtc);
  std::optional<Rect> found;
  for (const RRCrtc crtc : candidates) {
    XRRCrtcInfo* info = crtc != 0 ? xlib().XRRGetCrtcInfo(x_, resources, crtc) : nullptr;
    if (info == nullptr) {
      continue;
    }
    if (info->mode != None && info->width > 0 && info->height > 0) {
      found = Rect::at({info->x, info->y}, {static_cast<int>(info->width), static_cast<int>(info->height)});
    }
    xlib().XRRFreeCrtcInfo(info);
    if (found) {
      break;
    }
  }
  xlib().XRRFreeScreenResources(resources);
  return found;
}

// The desktop's resolution from its resources, 96 where it sets none; true when it changed. The
// resources are read from the root window each time: Xlib keeps only those it found at opening.
bool X11Display::read_dpi() {
  const int before = dpi_;
  const std::vector<char> resources = read_property<char>(root_, resource_manager_, XA_STRING, 64L << 20);
  dpi_ = xft_dpi(std::string_view(resources.data(), resources.size())).value_or(96);
  return dpi_ != before;
}

// The surface holds a band of the window's rows, which the window system paints and shows one after
// another: the server keeps what it has been shown. Four bands in turn let a page turn go by with
// little waiting for the server, in a third of the memory of the whole window.
std::unique_ptr<X11Image> X11Display::make_image(const WindowNode& window) {
  constexpr int band_rows = 24;
  constexpr int bands = 4;
  const Size size = window.device_size();
  auto image = std::make_unique<X11Image>(x_, visual_, depth_, *format_);
  return image->make({size.width, std::min(size.height, band_rows * window.scale())}, bands, shm_) ? std::move(image)
                                                                                                : nullptr;
}

std::optional<NativeWindow> X11Display::create_window(const WindowNode& window) {
  const Size size = window.device_size();
  // Under StaticGravity (set_size_hints) a window's position is its inner area's own, whatever
  // frame the window manager puts around it.
  const Point origin = window.bounds().origin();
  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None;
  attributes.bit_gravity = NorthWestGravity;
  attributes.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                          PointerMotionMask | StructureNotifyMask | FocusChangeMask | PropertyChangeMask;
  const ::Window xid = xlib().XCreateWindow(x_, root_, origin.x, origin.y, static_cast<unsigned>(size.width),
                                            static_cast<unsigned>(size.height), 0, CopyFromParent, InputOutput, visual_,
                                            CWBackPixmap | CWBitGravity | CWEventMask, &attributes);
  if (xid == 0) {
    return std::nullopt;
  }
  std::unique_ptr<X11Image> image = make_image(window);
  if (!image) {
    xlib().XDestroyWindow(x_, xid);
    return std::nullopt;
  }
  Native& native = natives_[&window];
  native.xid = xid;
  native.image = std::move(image);
  native.gc = xlib().XCreateGC(x_, xid, 0, nullptr);
  by_xid_[xid] = &window;
  set_hints(window, xid, origin);
  return NativeWindow{xid, native.image->surface()};
}

std::optional<Surface> X11Display::resize_window(const WindowNode& window, Point inner_origin) {
  Native* native = native_of(window);
  if (native == nullptr) {
    return std::nullopt;
  }
  const Size size = window.device_size();
  std::unique_ptr<X11Image> image = make_image(window);
  if (!image) {
    return std::nullopt;
  }
  native->image = std::move(image);
  note_request(*native);
  set_size_hints(native->xid, inner_origin, size);
  xlib().XMoveResizeWindow(x_, native->xid, inner_origin.x, inner_origin.y, static_cast<unsigned>(size.width),
                           static_cast<unsigned>(size.height));
  xlib().XFlush(x_);
  return native->image->surface();
}

void X11Display::place_window(const WindowNode& window, Point inner_origin) {
  if (Native* native = native_of(window); native != nullptr && !native->destroyed) {
    note_request(*native);
    xlib().XMoveWindow(x_, native->xid, inner_origin.x, inner_origin.y);
    xlib().XFlush(x_);
  }
}

void X11Display::destroy_window(const WindowNode& window) {
  const auto found = natives_.find(&window);
  if (found == natives_.end()) {
    return;
  }
  Native& native = found->second;
  by_xid_.erase(native.xid);
  x_error_routes().former_windows.insert(native.xid);
  native.image.reset();
  xlib().XFreeGC(x_, native.gc);
  if (!native.destroyed) {
    xlib().XDestroyWindow(x_, native.xid);
  }
  xlib().XFlush(x_);
  natives_.erase(found);
}

// Mapped where it was made; where it ends up is reported once it is mapped, after any window
// manager has framed and placed it.
void X11Display::show(const WindowNode& window) {
  if (Native* native = native_of(window)) {
    // A window manager activates a new window as its focus rules say; without one, a click does.
    note_request(*native);
    xlib().XMapRaised(x_, native->xid);
    xlib().XFlush(x_);
    native->map_patience = first_map_patience;
    native->map_check = std::chrono::steady_clock::now() + native->map_patience;
  }
}

// A window manager that is still starting may keep a map request until something else wakes it
// (openbox does): a shown window that has not reached the screen after a while is mapped again,
// less often each time. A window manager that is merely slow takes the request as the one it
// already has; without one the window is on the screen at once.
void X11Display::check_maps() {
  const auto now = std::chrono::steady_clock::now();
  for (auto& [window, native] : natives_) {
    if (!native.map_check || now < *native.map_check) {
      continue;
    }
    XWindowAttributes attributes{};
    // A window manager that has taken the window shows it when it will (not on a hidden desktop).
    if (native.exposed || native.destroyed || native.managed || native.framed ||
        (xlib().XGetWindowAttributes(x_, native.xid, &attributes) != 0 && attributes.map_state == IsViewable) ||
        window_state(native.xid) == IconicState) {
      native.map_check.reset();
      continue;
    }
    xlib().XMapRaised(x_, native.xid);
    xlib().XFlush(x_);
    native.map_patience = std::min(2 * native.map_patience, last_map_patience);
    native.map_check = now + native.map_patience;
  }
}

std::optional<std::chrono::steady_clock::time_point> X11Display::next_map_check() const {
  std::optional<std::chrono::steady_clock::time_point> next;
  for (const auto& [window, native] : natives_) {
    if (native.map_check && (!next || *native.map_check < *next)) {
      next = native.map_check;
    }
  }
  return next;
}

// The server draws nothing on a window before it is mapped and seen; its first Expose event tells
// when it is.
bool X11Display::on_screen(const WindowNode& window) {
  const Native* native = native_of(window);
  return native != nullptr && native->exposed;
}

Pixel* X11Display::present(const WindowNode& window, const Rect& area) {
  Native* native = native_of(window);
  if (native == nullptr || native->destroyed) {
    return window.surface().pixels;
  }
  native->image->put(native->xid, native->gc, area, window.surface().top);
  return native->image->surface().pixels;
}

const WindowNode* X11Display::window_of(::Window xid) {
  const auto found = by_xid_.find(xid);
  return found != by_xid_.end() ? found->second : nullptr;
}

X11Display::Native* X11Display::native_of(const WindowNode& window) {
  const auto found = natives_.find(&window);
  return found != natives_.end() ? &found->second : nullptr;
}

bool X11Display::report_queued_events() {
  bool reported = false;
  while (xlib().XPending(x_) > 0) {
    XEvent event;
    xlib().XNextEvent(x_, &event);
    reported = handle(event) || reported;
  }
  return reported;
}

bool X11Display::pump(bool wait, std::optional<std::chrono::milliseconds> limit) {
  using Clock = std::chrono::steady_clock;
  xlib().XFlush(x_);
  const std::optional<Clock::time_point> give_up =
      limit ? std::optional<Clock::time_point>(Clock::now() + *limit) : std::nullopt;
  bool reported = false;
  for (;;) {
    reported = report_queued_events() || reported;
    check_maps();
    if (!wait || reported) {
      return reported || !wait;
    }
    // The wait ends with input, at the caller's limit, or when a shown window is due a look.
    std::optional<Clock::time_point> until = give_up;
    if (const auto check = next_map_check(); check && (!until || *check < *until)) {
      until = check;
    }
    std::optional<std::chrono::milliseconds> slice;
    if (until) {
      slice = std::max(std::chrono::ceil<std::chrono::milliseconds>(*until - Clock::now()),
                       std::chrono::milliseconds(0));
    }
    const XInput input = wait_for_input(x_, slice);
    if (input == XInput::Nothing) {
      if (give_up && Clock::now() >= *give_up) {
        return false;
      }
      continue;
    }
    if (input == XInput::Broken) {
      connection_lost();
    }
    // Reads what arrived; a broken connection ends in the I/O error handler.
    xlib().XEventsQueued(x_, QueuedAfterReading);
    if (limit) {
      // One wait with a limit: what came is reported, or nothing was.
      return report_queued_events() || reported;
    }
  }
}

namespace {

std::unique_ptr<NativeDisplay> open(const ProgramIdentity& identity, std::string& error, MonitorQuery monitor,
                                    DisplayFailureReport report) {
  // Without a display named, the X libraries are not even loaded.
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') {
    error = name == nullptr ? "no X display is set (DISPLAY is unset)" : "no X display is set (DISPLAY is empty)";
    return nullptr;
  }
  if (!load_xlib(error)) {
    return nullptr;
  }
  ::Display* x = xlib().XOpenDisplay(nullptr);
  if (x == nullptr) {
    error = std::string("cannot open the X display \"") + name + "\"";
    return nullptr;
  }
  auto display = std::make_unique<X11Display>(x, identity, std::move(monitor), error, report);
  if (!display->usable()) {
    return nullptr;
  }
  return display;
}

}  // namespace

std::unique_ptr<NativeDisplay> open_x11_display(const ProgramIdentity& identity, std::string& error,
                                                DisplayFailureReport report) {
  return open(identity, error, {}, report);
}

std::unique_ptr<NativeDisplay> open_x11_display(std::string& error, MonitorQuery monitor) {
  return open({}, error, std::move(monitor), nullptr);
}

}  // namespace platform
