// Launches one program on the X display named by DISPLAY and prints, in one line, the milliseconds
// from launch to its window becoming viewable, to the first time a given colour shows at a given
// place in that window, and the program's peak resident memory in kilobytes:
//
//   tablescope_launch_probe X Y WIDTH HEIGHT RRGGBB -- PROGRAM [ARGUMENTS...]
//
// The place is a rectangle of the program's own window (outside any frame the window manager
// adds); a one-pixel rectangle is one pixel polled. The program is ended once the colour shows.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto poll_interval = std::chrono::microseconds(200);
constexpr auto give_up_after = std::chrono::seconds(10);
// Memory taken right after the first paint still counts towards the peak.
constexpr auto settle_time = std::chrono::milliseconds(100);

struct Area {
  int x;
  int y;
  unsigned width;
  unsigned height;
  unsigned long colour;
};

double milliseconds_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool has_class(Display* display, Window window) {
  XClassHint hint{};
  if (XGetClassHint(display, window, &hint) == 0) {
    return false;
  }
  XFree(hint.res_name);
  XFree(hint.res_class);
  return true;
}

// The client's own window inside a window manager's frame: the first descendant that names its
// class, as every client sets WM_CLASS before it maps its window.
Window client_window(Display* display, Window top) {
  if (has_class(display, top)) {
    return top;
  }
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display, top, &root, &parent, &children, &count) == 0) {
    return 0;
  }
  Window found = 0;
  for (unsigned i = 0; i < count && found == 0; ++i) {
    found = client_window(display, children[i]);
  }
  if (children != nullptr) {
    XFree(children);
  }
  return found;
}

bool colour_shows(Display* display, Window window, const Area& area) {
  XImage* image = XGetImage(display, window, area.x, area.y, area.width, area.height, AllPlanes, ZPixmap);
  if (image == nullptr) {
    return false;
  }
  bool found = false;
  for (unsigned y = 0; y < area.height && !found; ++y) {
    for (unsigned x = 0; x < area.width && !found; ++x) {
      found = (XGetPixel(image, static_cast<int>(x), static_cast<int>(y)) & 0xFFFFFF) == area.colour;
    }
  }
  XDestroyImage(image);
  return found;
}

std::optional<long> peak_resident_kb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) {
      return std::strtol(line.c_str() + 6, nullptr, 10);
    }
  }
  return std::nullopt;
}

// Looks without reaping, so that the process can still be killed and waited for by its id.
bool exited(pid_t pid) {
  siginfo_t info{};
  return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

// Waits for the first top-level window mapped after the launch, or 0.
Window wait_for_mapped_window(Display* display, pid_t pid, Clock::time_point start) {
  while (milliseconds_since(start) < std::chrono::duration<double, std::milli>(give_up_after).count()) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MapNotify && !event.xmap.override_redirect) {
        return event.xmap.window;
      }
    }
    if (exited(pid)) {
      return 0;
    }
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    poll(&connection, 1, 5);
  }
  return 0;
}

int fail(const char* what, pid_t pid) {
  std::fprintf(stderr, "tablescope_launch_probe: %s\n", what);
  if (pid > 0) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 8 || std::string(argv[6]) != "--") {
    std::fputs("usage: tablescope_launch_probe X Y WIDTH HEIGHT RRGGBB -- PROGRAM [ARGUMENTS...]\n", stderr);
    return 2;
  }
  const Area area{std::atoi(argv[1]), std::atoi(argv[2]), static_cast<unsigned>(std::atoi(argv[3])),
                  static_cast<unsigned>(std::atoi(argv[4])), std::strtoul(argv[5], nullptr, 16)};
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    return fail("cannot open the display", 0);
  }
  const Window root = DefaultRootWindow(display);
  XSelectInput(display, root, SubstructureNotifyMask);
  XSync(display, False);

  const Clock::time_point start = Clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[7], nullptr, nullptr, argv + 7, environ) != 0) {
    return fail("cannot start the program", 0);
  }
  const Window top = wait_for_mapped_window(display, pid, start);
  const double mapped = milliseconds_since(start);
  if (top == 0) {
    return fail("no window was mapped", pid);
  }
  const Window client = client_window(display, top);
  if (client == 0) {
    return fail("the mapped window has no client window", pid);
  }
  // Read from the root window: what is on the screen, whatever window holds it. The place is found
  // again each time, as a window may still be moved after it is mapped (re-centred once its
  // frame is known, say).
  const auto shows_on_screen = [&] {
    int root_x = 0;
    int root_y = 0;
    Window child = 0;
    XTranslateCoordinates(display, client, root, area.x, area.y, &root_x, &root_y, &child);
    return colour_shows(display, root, {root_x, root_y, area.width, area.height, area.colour});
  };
  while (!shows_on_screen()) {
    if (exited(pid)) {
      return fail("the program ended before the colour showed", pid);
    }
    if (milliseconds_since(start) > std::chrono::duration<double, std::milli>(give_up_after).count()) {
      return fail("the colour never showed", pid);
    }
    std::this_thread::sleep_for(poll_interval);
  }
  const double painted = milliseconds_since(start);
  std::this_thread::sleep_for(settle_time);
  const std::optional<long> peak = peak_resident_kb(pid);
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  XCloseDisplay(display);
  if (!peak) {
    return fail("the program ended before its memory could be read", 0);
  }
  std::printf("%.2f %.2f %ld\n", mapped, painted, *peak);
  return 0;
}
