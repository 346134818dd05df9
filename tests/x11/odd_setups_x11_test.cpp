// The program on setups a user can meet but the ordinary desktop never shows: a strange DISPLAY,
// closed standard streams, megabytes of resources, a connection that dies under a write, a window
// that another client destroys while requests are on their way to it, and a window manager that
// is still starting when the window is mapped.

#include <gtest/gtest.h>
// After GoogleTest, whose names Xlib's macros (None) would change.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <future>
#include <string>
#include <thread>

#include "platform/window_system/window_system.h"
#include "tests/support/test_program.h"
#include "platform/x11/backend.h"
#include "x_probe.h"
#include "x_session.h"

namespace x11_test {
namespace {

using namespace std::chrono_literals;

std::string file_text(const std::string& path) {
  std::ifstream stream(path);
  return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

// The real program's window, once it is on the screen.
std::optional<::Window> window_of(XProbe& probe, pid_t program) {
  std::optional<::Window> window;
  settle([&] { return (window = probe.window_of(program)).has_value(); });
  return window;
}

void end(pid_t program) {
  kill(program, SIGKILL);
  wait_for_exit(program, 5s);
}

// Control characters and bytes that are not UTF-8 are escaped; well-formed UTF-8 is kept.
TEST(ViewerGivenAStrangeDisplayName, SaysSoOnOneLineWithTheNameEscapedAndCut) {
  const std::string reason = "tablescope: needs an X display to show its window: ";
  const std::string prefix = reason + "cannot open the X display \"";
  const std::string long_name(10000, 'x');
  const struct {
    std::vector<std::string> setting;  // for env
    std::string line;
  } cases[] = {
      {{"DISPLAY=a\nb\x1b[31m\\"}, prefix + "a\\x0ab\\x1b[31m\\\\\""},
      {{"DISPLAY=\xe9:0"}, prefix + "\\xe9:0\""},
      {{"DISPLAY=\xc3\xa9\xe2\x82\xac\xc2\x85\xed\xa0\x80:0"}, prefix + "\xc3\xa9\xe2\x82\xac\\xc2\\x85\\xed\\xa0\\x80:0\""},
      // The reason is cut after 200 characters, 27 of them before the name.
      {{"DISPLAY=" + long_name}, prefix + std::string(173, 'x') + "..."},
      {{"DISPLAY="}, reason + "no X display is set (DISPLAY is empty)"},
      {{"-u", "DISPLAY"}, reason + "no X display is set (DISPLAY is unset)"},
  };
  for (const auto& [setting, line] : cases) {
    std::vector<std::string> command = {"env"};
    command.insert(command.end(), setting.begin(), setting.end());
    command.push_back("TABLESCOPE_BACKEND=x11");  // the X11 backend's own words, whatever else answers
    command.push_back(TABLESCOPE_BINARY);
    const Ending ending = run_to_its_end(command);
    EXPECT_EQ(ending.code, 2);
    EXPECT_EQ(ending.errors, line + "\n");
  }
}

// A diagnostic written while a standard stream is closed must not go into the X connection, which
// would take the closed stream's number: the program stays usable and its close box works.
TEST(ViewerStartedWithoutStandardStreams, StillAnswersItsCloseBox) {
  XSession session;
  ASSERT_TRUE(session.ready());
  XProbe probe;
  // No font at all, so that the program has something to say.
  const std::string no_fonts = ::testing::TempDir() + "tablescope_no_fonts.conf";
  std::ofstream(no_fonts) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
  for (const std::string closing : {"2>&-", "<&- >&- 2>&-"}) {
    const pid_t program = start_program({"env", "FONTCONFIG_FILE=" + no_fonts, "sh", "-c",
                                         "exec \"$0\" " + closing, TABLESCOPE_BINARY});
    const std::optional<::Window> window = window_of(probe, program);
    ASSERT_TRUE(window) << closing << ": the window did not appear";
    ASSERT_EQ(run_program({"wmctrl", "-i", "-c", std::to_string(*window)}), 0);
    const auto code = wait_for_exit(program, 5s);
    if (!code) {
      end(program);
    }
    EXPECT_EQ(code, 0) << closing;
  }
}

// A resource database of megabytes, of which only Xft.dpi matters, with that line at its end: the
// program reads the whole of it, at once, when it starts and when it changes.
TEST(ViewerWithMegabytesOfResources, FindsTheResolutionAtTheirEnd) {
  XSession session({{"openbox", "--sm-disable"}, true, {"-screen", "0", "3840x2160x24"}});
  ASSERT_TRUE(session.ready());
  XProbe probe;
  const auto set_resources = [](int dpi) {
    std::string resources;
    while (resources.size() < (5u << 20)) {
      resources += "Program*widget" + std::to_string(resources.size()) + ".background: #102030\n";
    }
    resources += "Xft.dpi: " + std::to_string(dpi) + "\n";
    Display* x = XOpenDisplay(nullptr);
    XChangeProperty(x, DefaultRootWindow(x), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources.data()), static_cast<int>(resources.size()));
    XCloseDisplay(x);
  };
  set_resources(96);
  const std::string errors = ::testing::TempDir() + "tablescope_large_resources.txt";
  const pid_t program = start_program({TABLESCOPE_BINARY}, errors);
  const std::optional<::Window> window = window_of(probe, program);
  ASSERT_TRUE(window) << "the window did not appear";
  EXPECT_EQ(probe.inner_area(*window).size(), (platform::Size{1044, 350}));
  set_resources(192);
  EXPECT_TRUE(settle([&] { return probe.inner_area(*window).size() == platform::Size{2088, 700}; }));
  end(program);
  EXPECT_EQ(file_text(errors), "");
}

// A write to a connection that died since it was last looked at fails with EPIPE, which Xlib
// takes to its handler of a lost connection (the program's one line), instead of ending the
// process silently by SIGPIPE. Once the display is open, any write to a dead pipe does so.
TEST(OpeningTheX11Display, TurnsSigpipeIntoAFailedWrite) {
  const pid_t child = fork();
  if (child == 0) {
    std::string error;
    auto display = platform::open_x11_display(tests::test_program, error);
    int ends[2];
    if (!display || pipe(ends) != 0) {
      _exit(3);
    }
    close(ends[0]);
    errno = 0;
    _exit(write(ends[1], "x", 1) == -1 && errno == EPIPE ? 0 : 4);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
}

// Requests on their way to a window when another client destroys it fail, and their errors may be
// read before or after the window's DestroyNotify, before or after the program has given the window
// up. Here, deterministically, after: another client holds the server while the program paints the
// window, destroys it, and lets go only once the program has read of the destruction and is giving
// the window up. Every launch of the race this stands for ends the same way.
TEST(ViewerWhoseWindowAnotherClientDestroys, ForgivesTheRequestsOnTheirWay) {
  std::string error;
  auto display = platform::open_x11_display(tests::test_program, error);
  ASSERT_TRUE(display) << error;
  platform::start_window_system(std::move(display));
  platform::register_class({"Doomed", platform::rgb(0, 0, 0), false, [](const platform::Message& message) {
                              if (message.code == platform::MessageCode::Close) {
                                platform::destroy_window(message.window);
                                return std::intptr_t{0};
                              }
                              return platform::default_handling(message);
                            }});
  for (int launch = 0; launch < 50; ++launch) {
    // One band of rows: painting it sends one image and never waits for the server.
    platform::WindowNode* window = platform::create_top_level("Doomed", "doomed", 0, platform::Rect::at({0, 0}, {200, 20}));
    ASSERT_NE(window, nullptr);
    platform::show_window(*window);
    platform::Message message;
    const auto take_messages = [&] {
      while (platform::get_message(message, 10ms)) {
        platform::dispatch(message);
      }
    };
    ASSERT_TRUE(settle([&] {
      take_messages();
      return platform::display()->on_screen(*window);
    }));
    std::promise<void> held, painted;
    std::thread other_client([&, xid = window->native()] {
      Display* other = XOpenDisplay(nullptr);
      XGrabServer(other);
      XSync(other, False);
      held.set_value();
      painted.get_future().wait();
      XDestroyWindow(other, xid);
      XSync(other, False);
      std::this_thread::sleep_for(50ms);
      XUngrabServer(other);
      XCloseDisplay(other);
    });
    held.get_future().wait();
    platform::invalidate(*window);
    platform::update_window(*window);
    painted.set_value();
    EXPECT_TRUE(settle([&] {
      take_messages();
      return !platform::is_window(window);
    })) << launch;
    other_client.join();
  }
  platform::stop_window_system();
}

// A window manager that has taken the window (put it into a frame, or given it a WM_STATE) and
// keeps it unmapped, as on a hidden desktop, is not asked to map it again.
TEST(ViewerWhoseWindowTheWindowManagerKeepsUnmapped, AsksForTheMapOnce) {
  XSession session({{}, false, {}});
  ASSERT_TRUE(session.ready());
  for (const bool reparents : {true, false}) {
    SCOPED_TRACE(reparents ? "put into a frame" : "given a WM_STATE");
    Display* x = XOpenDisplay(nullptr);
    ASSERT_NE(x, nullptr);
    const ::Window root = DefaultRootWindow(x);
    XSelectInput(x, root, SubstructureRedirectMask);
    XSync(x, False);
    const pid_t program = start_program({TABLESCOPE_BINARY});
    int map_requests = 0;
    const auto until = std::chrono::steady_clock::now() + 2500ms;
    while (std::chrono::steady_clock::now() < until) {
      XEvent event;
      if (XCheckTypedEvent(x, MapRequest, &event) == False) {
        std::this_thread::sleep_for(5ms);
        continue;
      }
      if (++map_requests == 1 && reparents) {
        // Requests to map what the frame holds come to the window manager as well.
        const ::Window frame = XCreateSimpleWindow(x, root, 0, 0, 10, 10, 0, 0, 0);
        XSelectInput(x, frame, SubstructureRedirectMask);
        XReparentWindow(x, event.xmaprequest.window, frame, 0, 0);
      } else if (map_requests == 1) {
        const Atom state = XInternAtom(x, "WM_STATE", False);
        const long normal[] = {NormalState, 0};
        XChangeProperty(x, event.xmaprequest.window, state, state, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(normal), 2);
      }
      XSync(x, False);
    }
    end(program);
    XCloseDisplay(x);
    EXPECT_EQ(map_requests, 1);
  }
}

// openbox keeps a map request that arrives while it is starting until some other event wakes it:
// launched the moment it announces itself, the window must still come on the screen. Shown before
// openbox runs (as when both start at login), the window is centred with its frame once openbox
// adopts it.
TEST(ViewerLaunchedAsTheWindowManagerStarts, ComesOnTheScreenEveryTime) {
  XSession session({{}, false, {}});
  ASSERT_TRUE(session.ready());
  XProbe probe;
  Display* x = XOpenDisplay(nullptr);
  ASSERT_NE(x, nullptr);
  const Atom supporting = XInternAtom(x, "_NET_SUPPORTING_WM_CHECK", False);
  const auto announced = [&] {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(x, DefaultRootWindow(x), supporting, 0, 1, False, XA_WINDOW, &type, &format, &count, &after,
                       &data);
    if (data != nullptr) {
      XFree(data);
    }
    return count == 1;
  };
  int unseen = 0;
  for (int launch = 0; launch < 50; ++launch) {
    const pid_t window_manager = start_program({"env", "HOME=" + ::testing::TempDir(), "openbox", "--sm-disable"});
    while (!announced()) {
      std::this_thread::sleep_for(1ms);
    }
    const pid_t program = start_program({TABLESCOPE_BINARY});
    unseen += window_of(probe, program) ? 0 : 1;
    end(program);
    kill(window_manager, SIGTERM);
    wait_for_exit(window_manager, 5s);
    XDeleteProperty(x, DefaultRootWindow(x), supporting);
    XSync(x, False);
  }
  int uncentred = 0;
  for (int launch = 0; launch < 8; ++launch) {
    const pid_t program = start_program({TABLESCOPE_BINARY});
    const std::optional<::Window> shown = window_of(probe, program);
    const pid_t window_manager = start_program({"env", "HOME=" + ::testing::TempDir(), "openbox", "--sm-disable"});
    unseen += shown ? 0 : 1;
    const auto centred = [&] {
      const platform::Rect frame = probe.frame_area(*shown);
      return probe.frame_extents(*shown) && std::abs(2 * frame.left + frame.width() - 1920) <= 2 &&
             std::abs(2 * frame.top + frame.height() - 1080) <= 2;
    };
    uncentred += shown && settle(centred) ? 0 : 1;
    end(program);
    kill(window_manager, SIGTERM);
    wait_for_exit(window_manager, 5s);
    XDeleteProperty(x, DefaultRootWindow(x), supporting);
    XSync(x, False);
  }
  XCloseDisplay(x);
  EXPECT_EQ(unseen, 0);
  EXPECT_EQ(uncentred, 0);
}

}  // namespace
}  // namespace x11_test
