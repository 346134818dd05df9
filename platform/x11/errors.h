#pragma once

// Xlib reports errors and a lost connection to handlers of the whole process, which get no context
// of their own: what they need is kept here, in the backend's one place for it.

#include <X11/Xlib.h>

#include <map>
#include <set>

#include "platform/window_system/seam.h"
#include "platform/window_system/window.h"

namespace platform {

struct XErrorRoutes {
  // The program's windows (the display keeps them) and those it had, destroyed by another client
  // or by itself: a request on its way to one of them when it went fails, whenever its error
  // arrives, before or after the window's DestroyNotify was read and handled.
  const std::map<::Window, const WindowNode*>* live_windows = nullptr;
  std::set<::Window> former_windows;
  // A request allowed to fail (attaching shared memory), and whether it did.
  unsigned long tried_request = 0;
  bool tried_request_failed = false;
  DisplayFailureReport report = nullptr;
};

XErrorRoutes& x_error_routes();

// Takes Xlib's handlers; a write to a lost connection reaches them too, instead of ending the
// process by SIGPIPE.
void install_x_error_handlers(DisplayFailureReport report);

// Reports the failure to the program and ends the process.
[[noreturn]] void connection_lost();

}  // namespace platform
