#include "x_probe.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace x11_test {

XProbe::XProbe() : display_(XOpenDisplay(nullptr)) {}

XProbe::~XProbe() {
  if (display_ != nullptr) {
    XCloseDisplay(display_);
  }
}

std::vector<long> XProbe::cardinals(Window window, const char* property, Atom type) {
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> values;
  if (XGetWindowProperty(display_, window, XInternAtom(display_, property, False), 0, 1024, False, type, &actual,
                         &format, &count, &after, &data) == Success &&
      format == 32 && data != nullptr) {
    const auto* longs = reinterpret_cast<const long*>(data);
    values.assign(longs, longs + count);
  }
  if (data != nullptr) {
    XFree(data);
  }
  return values;
}

std::vector<Window> XProbe::client_list() {
  std::vector<Window> windows;
  for (const long value : cardinals(DefaultRootWindow(display_), "_NET_CLIENT_LIST", XA_WINDOW)) {
    windows.push_back(static_cast<Window>(value));
  }
  if (cardinals(DefaultRootWindow(display_), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW).empty()) {
    // Without a window manager the root window's children are the top-level windows.
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count) != 0 &&
        children != nullptr) {
      windows.assign(children, children + count);
      XFree(children);
    }
  }
  return windows;
}

std::optional<Window> XProbe::window_of(pid_t process) {
  for (const Window window : client_list()) {
    const auto pid = cardinals(window, "_NET_WM_PID", XA_CARDINAL);
    if (!pid.empty() && pid.front() == process && viewable(window)) {
      return window;
    }
  }
  return std::nullopt;
}

std::optional<Window> XProbe::window_titled(const std::string& title) {
  for (const Window window : client_list()) {
    if (this->title(window) == title && viewable(window)) {
      return window;
    }
  }
  return std::nullopt;
}

std::string XProbe::title(Window window) {
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string text;
  if (XGetWindowProperty(display_, window, XInternAtom(display_, "_NET_WM_NAME", False), 0, 1024, False,
                         XInternAtom(display_, "UTF8_STRING", False), &actual, &format, &count, &after,
                         &data) == Success &&
      data != nullptr) {
    text.assign(reinterpret_cast<const char*>(data), count);
  }
  if (data != nullptr) {
    XFree(data);
  }
  return text;
}

platform::Rect XProbe::inner_area(Window window) {
  XWindowAttributes attributes{};
  XGetWindowAttributes(display_, window, &attributes);
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
  return {x, y, x + attributes.width, y + attributes.height};
}

std::vector<std::string> XProbe::atom_list(Window window, const char* property) {
  std::vector<std::string> names;
  for (const long atom : cardinals(window, property, XA_ATOM)) {
    char* name = XGetAtomName(display_, static_cast<Atom>(atom));
    if (name != nullptr) {
      names.emplace_back(name);
      XFree(name);
    }
  }
  return names;
}

std::optional<platform::FrameExtents> XProbe::frame_extents(Window window) {
  const auto values = cardinals(window, "_NET_FRAME_EXTENTS", XA_CARDINAL);
  if (values.size() != 4) {
    return std::nullopt;
  }
  return platform::FrameExtents{static_cast<int>(values[0]), static_cast<int>(values[1]), static_cast<int>(values[2]),
                                static_cast<int>(values[3])};
}

bool XProbe::viewable(Window window) {
  XWindowAttributes attributes{};
  return XGetWindowAttributes(display_, window, &attributes) != 0 && attributes.map_state == IsViewable;
}

std::vector<std::uint32_t> XProbe::capture(const platform::Rect& area) {
  XSync(display_, False);
  XImage* image = XGetImage(display_, DefaultRootWindow(display_), area.left, area.top,
                            static_cast<unsigned>(area.width()), static_cast<unsigned>(area.height()), AllPlanes, ZPixmap);
  std::vector<std::uint32_t> pixels;
  if (image == nullptr) {
    return pixels;
  }
  pixels.reserve(static_cast<std::size_t>(area.width()) * static_cast<std::size_t>(area.height()));
  for (int y = 0; y < area.height(); ++y) {
    for (int x = 0; x < area.width(); ++x) {
      pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
    }
  }
  XDestroyImage(image);
  return pixels;
}

}  // namespace x11_test
