#pragma once

// The calls the backend makes into the X libraries. They are loaded when an X display is first
// opened rather than linked with the program, so that a program on Wayland never loads them and a
// system without them still runs there.

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrandr.h>

#include <string>

// Each call of libX11 (with its XKB part), libXext (MIT-SHM) and libXrandr the backend makes.
#define TABLESCOPE_XLIB_CALLS(CALL)                                                                     \
  CALL(XAllocClassHint) CALL(XAllocSizeHints) CALL(XAllocWMHints) CALL(XChangeProperty) CALL(XCloseDisplay) \
  CALL(XCreateGC) CALL(XCreateImage) CALL(XCreateSimpleWindow) CALL(XCreateWindow) CALL(XDestroyWindow)     \
  CALL(XEventsQueued) CALL(XFillRectangle) CALL(XFlush) CALL(XFree) CALL(XFreeGC) CALL(XGetErrorText)       \
  CALL(XGetWindowAttributes) CALL(XGetWindowProperty) CALL(XInternAtoms) CALL(XListPixmapFormats)          \
  CALL(XLookupKeysym) CALL(XMapRaised) CALL(XMoveResizeWindow) CALL(XMoveWindow) CALL(XNextEvent)          \
  CALL(XOpenDisplay) CALL(XPeekEvent) CALL(XPending) CALL(XPutImage) CALL(XQueryTree)                      \
  CALL(XRefreshKeyboardMapping) CALL(XResourceManagerString) CALL(XSelectInput) CALL(XSendEvent)           \
  CALL(XSetErrorHandler) CALL(XSetForeground) CALL(XSetIOErrorHandler) CALL(XSetInputFocus)                \
  CALL(XSetWMNormalHints) CALL(XSetWMProperties) CALL(XSetWMProtocols) CALL(XSync)                         \
  CALL(XTranslateCoordinates) CALL(XWithdrawWindow) CALL(XkbSetDetectableAutoRepeat)                       \
  CALL(XShmAttach) CALL(XShmCreateImage) CALL(XShmDetach) CALL(XShmPutImage) CALL(XShmQueryExtension)      \
  CALL(XShmQueryVersion)                                                                                    \
  CALL(XRRFreeCrtcInfo) CALL(XRRFreeOutputInfo) CALL(XRRFreeScreenResources) CALL(XRRGetCrtcInfo)          \
  CALL(XRRGetOutputInfo) CALL(XRRGetOutputPrimary) CALL(XRRGetScreenResourcesCurrent) CALL(XRRQueryExtension)

namespace platform {

// Typed as the libraries' own headers declare them.
struct Xlib {
#define TABLESCOPE_XLIB_SLOT(name) decltype(&::name) name = nullptr;
  TABLESCOPE_XLIB_CALLS(TABLESCOPE_XLIB_SLOT)
#undef TABLESCOPE_XLIB_SLOT
};

// Loads the libraries on the first call; they stay for the program's life. False, with the reason
// in `error`, where they are not installed.
bool load_xlib(std::string& error);

// The calls, once load_xlib has succeeded.
const Xlib& xlib();

}  // namespace platform
