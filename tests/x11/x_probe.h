#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/geometry.h"
#include "support/reference_page.h"

namespace x11_test {

// A connection of the test's own to the X server, to look at windows as another client would.
class XProbe {
 public:
  XProbe();
  ~XProbe();
  XProbe(const XProbe&) = delete;
  XProbe& operator=(const XProbe&) = delete;

  bool connected() const { return display_ != nullptr; }

  // The top-level window of a process (managed, when a window manager runs), once it is shown.
  std::optional<Window> window_of(pid_t process);
  // A managed top-level window by its title, once it is shown.
  std::optional<Window> window_titled(const std::string& title);
  std::string title(Window window);
  // The inner area on the screen.
  platform::Rect inner_area(Window window);
  std::vector<std::string> atom_list(Window window, const char* property);
  std::optional<platform::FrameExtents> frame_extents(Window window);
  // The frame around the inner area on the screen: as _NET_FRAME_EXTENTS tells where the window
  // manager sets it on the window, else the window manager's own window that holds it, border and
  // all; the inner area where nothing holds it.
  platform::Rect frame_area(Window window);
  bool viewable(Window window);
  // Pixels of the screen, 0x00RRGGBB, rows top-down.
  std::vector<std::uint32_t> capture(const platform::Rect& area);
  // Where the viewer's picture lies on the screen: 1024 x 300 from (10, 10) of the window's inner area.
  platform::Rect picture_of(Window window);
  // How the window's picture differs from the page worked out from the drawing rules: empty as
  // soon as it shows the page, else what still differs after `patience`.
  std::string difference_from_page(Window window, int page);
  std::string difference_from(Window window, const reference::ReferencePage& expected,
                              std::chrono::milliseconds patience = std::chrono::seconds(3));

 private:
  std::vector<Window> client_list();
  std::vector<long> cardinals(Window window, const char* property, Atom type);

  Display* display_;
};

}  // namespace x11_test
