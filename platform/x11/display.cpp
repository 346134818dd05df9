// The connection to the X server, the program's windows and their surfaces, and the wait for
// events.

#include "platform/x11/display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/windows/display.h"
#include "platform/x11/backend.h"
#include "platform/x11/wait.h"

namespace platform {
namespace {

// The program's own top-level windows. Another client may destroy one at any time; requests on it
// that were already on their way then fail, and its DestroyNotify, queued before those errors,
// closes it.
const std::map<::Window, platform::Window*>* own_windows = nullptr;

int on_x_error(::Display* display, XErrorEvent* event) {
  const bool about_a_window = event->error_code == BadWindow || event->error_code == BadDrawable;
  if (about_a_window && own_windows != nullptr && own_windows->contains(event->resourceid)) {
    return 0;
  }
  char text[256] = {};
  XGetErrorText(display, event->error_code, text, sizeof text);
  std::fprintf(stderr, "tablescope: the X server refused a request: %s (request %d.%d)\n", text,
               event->request_code, event->minor_code);
  std::_Exit(1);
}

int on_x_io_error(::Display*) {
  std::fputs("tablescope: lost the connection to the X display\n", stderr);
  std::_Exit(1);
}

// The Xft.dpi resource, where it is set to a sensible value.
std::optional<int> dpi_of_resources(const char* resources) {
  if (resources == nullptr) {
    return std::nullopt;
  }
  XrmInitialize();
  XrmDatabase database = XrmGetStringDatabase(resources);
  if (database == nullptr) {
    return std::nullopt;
  }
  std::optional<int> found;
  char* type = nullptr;
  XrmValue value{};
  if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr) {
    const double dpi = std::atof(value.addr);
    if (dpi >= 24 && dpi <= 960) {
      found = static_cast<int>(std::lround(dpi));
    }
  }
  XrmDestroyDatabase(database);
  return found;
}

}  // namespace

X11Display::X11Display(::Display* x, MonitorQuery monitor, std::string& error)
    : x_(x),
      screen_number_(DefaultScreen(x)),
      root_(RootWindow(x, DefaultScreen(x))),
      visual_(DefaultVisual(x, DefaultScreen(x))),
      depth_(DefaultDepth(x, DefaultScreen(x))) {
  XSetErrorHandler(on_x_error);
  XSetIOErrorHandler(on_x_io_error);
  format_ = true_colour_format(x_, visual_, depth_, error);
  if (!format_) {
    return;
  }
  intern_atoms();

  // Asked first, so that Xlib has nothing to complain about on a server without it.
  int major = 0, minor = 0;
  Bool pixmaps = False;
  shm_ = XShmQueryExtension(x_) == True && XShmQueryVersion(x_, &major, &minor, &pixmaps) == True;
  monitor_ = (monitor ? monitor() : randr_monitor())
                 .value_or(Rect::at({0, 0}, {DisplayWidth(x_, screen_number_), DisplayHeight(x_, screen_number_)}));
  // The resources as Xlib read them when it connected; later changes are read from the root.
  dpi_ = dpi_of_resources(XResourceManagerString(x_)).value_or(96);
  // The desktop's settings (colours, fonts) live in the root window's resources.
  XSelectInput(x_, root_, PropertyChangeMask);
  request_frame_extents();
  own_windows = &by_xid_;
  usable_ = true;
}

X11Display::~X11Display() {
  own_windows = nullptr;
  if (frame_probe_ != 0) {
    XDestroyWindow(x_, frame_probe_);
  }
  for (auto& [window, native] : natives_) {
    native.image.reset();
    XFreeGC(x_, native.gc);
    if (!native.destroyed) {
      XDestroyWindow(x_, native.xid);
    }
  }
  XCloseDisplay(x_);
}

// The primary monitor, else the first one that shows anything.
std::optional<Rect> X11Display::randr_monitor() {
  int event_base = 0, error_base = 0;
  if (!XRRQueryExtension(x_, &event_base, &error_base)) {
    return std::nullopt;
  }
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(x_, root_);
  if (resources == nullptr) {
    return std::nullopt;
  }
  std::vector<RRCrtc> candidates;
  if (const RROutput primary = XRRGetOutputPrimary(x_, root_)) {
    if (XRROutputInfo* output = XRRGetOutputInfo(x_, resources, primary)) {
      candidates.push_back(output->crtc);
      XRRFreeOutputInfo(output);
    }
  }
  candidates.insert(candidates.end(), resources->crtcs, resources->crtcs + resources->ncrtc);
  std::optional<Rect> found;
  for (const RRCrtc crtc : candidates) {
    XRRCrtcInfo* info = crtc != 0 ? XRRGetCrtcInfo(x_, resources, crtc) : nullptr;
    if (info == nullptr) {
      continue;
    }
    if (info->mode != None && info->width > 0 && info->height > 0) {
      found = Rect::at({info->x, info->y}, {static_cast<int>(info->width), static_cast<int>(info->height)});
    }
    XRRFreeCrtcInfo(info);
    if (found) {
      break;
    }
  }
  XRRFreeScreenResources(resources);
  return found;
}

// The desktop's resolution from its resources, 96 where it sets none; true when it changed. The
// resources are read from the root window each time: Xlib keeps only those it found at opening.
bool X11Display::read_dpi() {
  const int before = dpi_;
  const std::vector<char> resources = read_property<char>(root_, resource_manager_, XA_STRING, 4L << 20);
  const std::string text(resources.begin(), resources.end());
  dpi_ = dpi_of_resources(text.c_str()).value_or(96);
  return dpi_ != before;
}

// The surface holds a band of the window's rows, which the window system paints and shows one after
// another: the server keeps what it has been shown. Four bands in turn let a page turn go by with
// little waiting for the server, in a third of the memory of the whole window.
std::unique_ptr<X11Image> X11Display::make_image(const Window& window) {
  constexpr int band_rows = 24;
  constexpr int bands = 4;
  const Size size = window.device_size();
  auto image = std::make_unique<X11Image>(x_, visual_, depth_, *format_);
  return image->make({size.width, std::min(size.height, band_rows * window.scale)}, bands, shm_) ? std::move(image)
                                                                                                : nullptr;
}

std::optional<NativeWindow> X11Display::create_window(Window& window) {
  const Size size = window.device_size();
  // Under StaticGravity (set_size_hints) a window's position is its inner area's own, whatever
  // frame the window manager puts around it.
  const Point origin = window.bounds.origin();
  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None;
  attributes.bit_gravity = NorthWestGravity;
  attributes.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                          PointerMotionMask | StructureNotifyMask | FocusChangeMask | PropertyChangeMask;
  const ::Window xid = XCreateWindow(x_, root_, origin.x, origin.y, static_cast<unsigned>(size.width),
                                     static_cast<unsigned>(size.height), 0, CopyFromParent, InputOutput, visual_,
                                     CWBackPixmap | CWBitGravity | CWEventMask, &attributes);
  if (xid == 0) {
    return std::nullopt;
  }
  std::unique_ptr<X11Image> image = make_image(window);
  if (!image) {
    XDestroyWindow(x_, xid);
    return std::nullopt;
  }
  Native& native = natives_[&window];
  native.xid = xid;
  native.image = std::move(image);
  native.gc = XCreateGC(x_, xid, 0, nullptr);
  by_xid_[xid] = &window;
  set_hints(window, xid, origin);
  return NativeWindow{xid, native.image->surface()};
}

std::optional<Surface> X11Display::resize_window(const Window& window, Point inner_origin) {
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
  set_size_hints(native->xid, inner_origin, size);
  XMoveResizeWindow(x_, native->xid, inner_origin.x, inner_origin.y, static_cast<unsigned>(size.width),
                    static_cast<unsigned>(size.height));
  XFlush(x_);
  return native->image->surface();
}

void X11Display::place_window(const Window& window, Point inner_origin) {
  if (const Native* native = native_of(window); native != nullptr && !native->destroyed) {
    XMoveWindow(x_, native->xid, inner_origin.x, inner_origin.y);
    XFlush(x_);
  }
}

void X11Display::destroy_window(const Window& window) {
  const auto found = natives_.find(&window);
  if (found == natives_.end()) {
    return;
  }
  Native& native = found->second;
  by_xid_.erase(native.xid);
  native.image.reset();
  XFreeGC(x_, native.gc);
  if (!native.destroyed) {
    XDestroyWindow(x_, native.xid);
  }
  XFlush(x_);
  natives_.erase(found);
}

// Mapped where it was made: the window's place until the window manager says otherwise.
void X11Display::show(const Window& window) {
  if (const Native* native = native_of(window)) {
    // A window manager activates a new window as its focus rules say; without one, a click does.
    XMapRaised(x_, native->xid);
    XFlush(x_);
    input::moved(*window_of(native->xid), window.bounds.origin());
  }
}

// The server draws nothing on a window before it is mapped and seen; its first Expose event tells
// when it is.
bool X11Display::on_screen(const Window& window) {
  const Native* native = native_of(window);
  return native != nullptr && native->exposed;
}

Pixel* X11Display::present(const Window& window, const Rect& area) {
  Native* native = native_of(window);
  if (native == nullptr || native->destroyed) {
    return window.surface.pixels;
  }
  native->image->put(native->xid, native->gc, area, window.surface.top);
  return native->image->surface().pixels;
}

Window* X11Display::window_of(::Window xid) {
  const auto found = by_xid_.find(xid);
  return found != by_xid_.end() ? found->second : nullptr;
}

X11Display::Native* X11Display::native_of(const Window& window) {
  const auto found = natives_.find(&window);
  return found != natives_.end() ? &found->second : nullptr;
}

bool X11Display::pump(bool wait, std::optional<std::chrono::milliseconds> limit) {
  XFlush(x_);
  bool reported = false;
  for (;;) {
    while (XPending(x_) > 0) {
      XEvent event;
      XNextEvent(x_, &event);
      reported = handle(event) || reported;
    }
    if (!wait || reported) {
      return reported || !wait;
    }
    const XInput input = wait_for_input(x_, limit);
    if (input == XInput::Nothing) {
      return false;
    }
    if (input == XInput::Broken) {
      on_x_io_error(x_);
    }
    // Reads what arrived; a broken connection ends in the I/O error handler.
    XEventsQueued(x_, QueuedAfterReading);
    if (limit) {
      // One wait with a limit: what came is reported, or nothing was.
      while (XPending(x_) > 0) {
        XEvent event;
        XNextEvent(x_, &event);
        reported = handle(event) || reported;
      }
      return reported;
    }
  }
}

std::unique_ptr<Display> open_x11_display(std::string& error) { return open_x11_display(error, {}); }

std::unique_ptr<Display> open_x11_display(std::string& error, MonitorQuery monitor) {
  ::Display* x = XOpenDisplay(nullptr);
  if (x == nullptr) {
    const char* name = std::getenv("DISPLAY");
    error = name == nullptr || *name == '\0' ? "no X display is set (DISPLAY is empty)"
                                             : std::string("cannot open the X display \"") + name + "\"";
    return nullptr;
  }
  auto display = std::make_unique<X11Display>(x, std::move(monitor), error);
  if (!display->usable()) {
    return nullptr;
  }
  return display;
}

}  // namespace platform
