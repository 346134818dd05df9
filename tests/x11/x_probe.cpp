#include "x_probe.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>

#include "support/decoded_bank.h"
#include "support/reference_page.h"

namespace x11_test {
namespace {

XErrorHandler handler_before_search = nullptr;

int forgive_vanished_windows(Display* display, XErrorEvent* event) {
  if (event->error_code == BadWindow || event->error_code == BadDrawable) {
    return 0;
  }
  return handler_before_search != nullptr ? handler_before_search(display, event) : 0;
}

// While other clients' windows are searched, one may be destroyed between the listing and a
// question about it (Wine makes and drops windows as it starts): that is no failure of the test.
// Xlib's default handler would end the process for it.
class VanishedWindowsForgiven {
 public:
  explicit VanishedWindowsForgiven(Display* display) : display_(display) {
    handler_before_search = XSetErrorHandler(forgive_vanished_windows);
  }
  ~VanishedWindowsForgiven() {
    XSync(display_, False);
    XSetErrorHandler(handler_before_search);
  }
  VanishedWindowsForgiven(const VanishedWindowsForgiven&) = delete;
  VanishedWindowsForgiven& operator=(const VanishedWindowsForgiven&) = delete;

 private:
  Display* display_;
};

}  // namespace

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
    // Without a window manager the root window's children are the top-level windows; a window
    // manager without EWMH holds each in a frame window of its own, one of those children.
    const auto children_of = [this](Window window) {
      Window root = 0, parent = 0;
      Window* children = nullptr;
      unsigned int count = 0;
      std::vector<Window> found;
      if (XQueryTree(display_, window, &root, &parent, &children, &count) != 0 && children != nullptr) {
        found.assign(children, children + count);
        XFree(children);
      }
      return found;
    };
    for (const Window top : children_of(DefaultRootWindow(display_))) {
      windows.push_back(top);
      const std::vector<Window> framed = children_of(top);
      windows.insert(windows.end(), framed.begin(), framed.end());
    }
  }
  return windows;
}

std::optional<Window> XProbe::window_of(pid_t process) {
  const VanishedWindowsForgiven forgiven(display_);
  for (const Window window : client_list()) {
    const auto pid = cardinals(window, "_NET_WM_PID", XA_CARDINAL);
    if (!pid.empty() && pid.front() == process && viewable(window)) {
      return window;
    }
  }
  return std::nullopt;
}

std::optional<Window> XProbe::window_titled(const std::string& title) {
  const VanishedWindowsForgiven forgiven(display_);
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

platform::Rect XProbe::frame_area(Window window) {
  const platform::Rect inner = inner_area(window);
  if (const auto extents = frame_extents(window)) {
    return {inner.left - extents->left, inner.top - extents->top, inner.right + extents->right,
            inner.bottom + extents->bottom};
  }
  Window outermost = window;
  for (;;) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display_, outermost, &root, &parent, &children, &count) == 0) {
      return inner;
    }
    if (children != nullptr) {
      XFree(children);
    }
    if (parent == root || parent == 0) {
      break;
    }
    outermost = parent;
  }
  XWindowAttributes frame{};
  XGetWindowAttributes(display_, outermost, &frame);
  platform::Point corner;
  Window child = 0;
  XTranslateCoordinates(display_, outermost, DefaultRootWindow(display_), -frame.border_width, -frame.border_width,
                        &corner.x, &corner.y, &child);
  return platform::Rect::at(corner, {frame.width + 2 * frame.border_width, frame.height + 2 * frame.border_width});
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

platform::Rect XProbe::picture_of(Window window) {
  const platform::Rect inner = inner_area(window);
  return platform::Rect::at({inner.left + 10, inner.top + 10}, {1024, 300});
}

std::string XProbe::difference_from_page(Window window, int page) {
  return difference_from(window, reference::ReferencePage(test_support::decoded_bank(), page));
}

std::string XProbe::difference_from(Window window, const reference::ReferencePage& expected,
                                    std::chrono::milliseconds patience) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  std::string difference = expected.difference(capture(picture_of(window)));
  while (!difference.empty() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    difference = expected.difference(capture(picture_of(window)));
  }
  return difference;
}

}  // namespace x11_test
