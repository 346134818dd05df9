#include "platform/x11/errors.h"

#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/x11/xlib.h"

namespace platform {
namespace {

bool forgiven(const XErrorEvent& event) {
  const XErrorRoutes& routes = x_error_routes();
  if (event.error_code != BadWindow && event.error_code != BadDrawable) {
    return false;
  }
  return (routes.live_windows != nullptr && routes.live_windows->contains(event.resourceid)) ||
         routes.former_windows.contains(event.resourceid);
}

// What was told reaches its file before the process ends without flushing anything.
void report(DisplayFailure failure) {
  if (const DisplayFailureReport tell = x_error_routes().report) {
    tell(failure);
    std::fflush(nullptr);
  }
}

int on_x_error(::Display* display, XErrorEvent* event) {
  XErrorRoutes& routes = x_error_routes();
  if (routes.tried_request != 0 && event->serial == routes.tried_request) {
    routes.tried_request_failed = true;
    return 0;
  }
  if (forgiven(*event)) {
    return 0;
  }
  char text[256] = {};
  xlib().XGetErrorText(display, event->error_code, text, sizeof text);
  report({DisplayFailure::Kind::RequestRefused, std::string(text) + " (request " +
                                                    std::to_string(event->request_code) + "." +
                                                    std::to_string(event->minor_code) + ")"});
  std::_Exit(1);
}

int on_x_io_error(::Display*) { connection_lost(); }

}  // namespace

XErrorRoutes& x_error_routes() {
  static XErrorRoutes routes;
  return routes;
}

void install_x_error_handlers(DisplayFailureReport report) {
  x_error_routes().report = report;
  xlib().XSetErrorHandler(on_x_error);
  xlib().XSetIOErrorHandler(on_x_io_error);
  // Xlib writes to its socket without asking the kernel to spare the process the signal.
  signal(SIGPIPE, SIG_IGN);
}

void connection_lost() {
  report({DisplayFailure::Kind::ConnectionLost, "the X display"});
  std::_Exit(1);
}

}  // namespace platform
