// The least a C program can do to show Tablescope's first page: plain Xlib, fontconfig and FreeType,
// no toolkit. It maps a 1044x350 window, draws a 1024x300 picture with the page's grey dividers
// and its 24 labels in "Arial" 8 points (no traces: they cost microseconds), and puts the picture
// at (10, 10) when the window is first exposed. It runs until it is closed or killed.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/Xutil.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "floor_picture.h"

static double desktop_dpi(Display* display) {
  const char *resources = XResourceManagerString(display);
  double dpi = 96.0;
  if (resources == NULL) {
    return dpi;
  }
  XrmInitialize();
  XrmDatabase database = XrmGetStringDatabase(resources);
  char *type = NULL;
  XrmValue value = {0};
  if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != NULL) {
    dpi = atof(value.addr);
  }
  XrmDestroyDatabase(database);
  return dpi > 0 ? dpi : 96.0;
}

static Window open_window(Display *display) {
  int screen = DefaultScreen(display);
  Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, window_width, window_height,
                                            0, 0, window_grey);
  XStoreName(display, window, "Launch floor");
  char name[] = "launch_floor";
  char class_name[] = "LaunchFloor";
  XClassHint class_hint = {name, class_name};
  XSetClassHint(display, window, &class_hint);
  XSizeHints *size = XAllocSizeHints();
  size->flags = PMinSize | PMaxSize;
  size->min_width = size->max_width = window_width;
  size->min_height = size->max_height = window_height;
  XSetWMNormalHints(display, window, size);
  XFree(size);
  Atom delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, window, &delete_window, 1);
  XSelectInput(display, window, ExposureMask);
  XMapWindow(display, window);
  XFlush(display);
  return window;
}

int main(void) {
  Display *display = XOpenDisplay(NULL);
  if (display == NULL) {
    fputs("launch_floor: cannot open the display\n", stderr);
    return 1;
  }
  Window window = open_window(display);
  uint32_t *pixels = draw_picture(desktop_dpi(display));
  XImage *picture = XCreateImage(display, DefaultVisual(display, DefaultScreen(display)), 24, ZPixmap, 0,
                                 (char *)pixels, picture_width, picture_height, 32, 0);
  GC gc = DefaultGC(display, DefaultScreen(display));
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == Expose && event.xexpose.count == 0) {
      XPutImage(display, window, gc, picture, 0, 0, 10, 10, picture_width, picture_height);
      XFlush(display);
    } else if (event.type == ClientMessage) {
      break;
    }
  }
  XDestroyImage(picture);
  XCloseDisplay(display);
  return 0;
}
