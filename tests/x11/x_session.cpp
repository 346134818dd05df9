#include "x_session.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <thread>

namespace x11_test {
namespace {

// With `own_group`, the program and whatever it starts run in a process group of their own.
pid_t spawn(const std::vector<std::string>& arguments, int output_fd, const std::string& error_file,
            bool own_group = false) {
  const pid_t child = fork();
  if (child == 0) {
    if (own_group) {
      setpgid(0, 0);
    }
    if (output_fd >= 0) {
      dup2(output_fd, STDOUT_FILENO);
    }
    const int error = open(error_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (error >= 0) {
      dup2(error, STDERR_FILENO);
    }
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
      argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return child;
}

// True once the window manager answers a request for the frame it would give a window: then it
// has finished starting and the program under test finds it as a user's desktop would.
bool window_manager_ready(const std::string& name) {
  Display* display = XOpenDisplay(name.c_str());
  if (display == nullptr) {
    return false;
  }
  const Window root = DefaultRootWindow(display);
  XSetWindowAttributes attributes{};
  attributes.event_mask = PropertyChangeMask;
  const Window probe = XCreateWindow(display, root, 0, 0, 10, 10, 0, CopyFromParent, InputOutput, CopyFromParent,
                                     CWEventMask, &attributes);
  XEvent request{};
  request.xclient.type = ClientMessage;
  request.xclient.window = probe;
  request.xclient.message_type = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
  request.xclient.format = 32;
  XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &request);
  XSync(display, False);
  bool answered = false;
  for (int attempt = 0; attempt < 20 && !answered; ++attempt) {
    XEvent event;
    answered = XCheckTypedWindowEvent(display, probe, PropertyNotify, &event) == True;
    if (!answered) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  XDestroyWindow(display, probe);
  XCloseDisplay(display);
  return answered;
}

bool redirect_refused = false;

int note_refusal(Display*, XErrorEvent* event) {
  redirect_refused = redirect_refused || event->error_code == BadAccess;
  return 0;
}

// True once another client redirects the root window's requests to itself: a window manager
// without EWMH announces itself no other way.
bool root_redirected(Display* display) {
  redirect_refused = false;
  const auto previous = XSetErrorHandler(note_refusal);
  XSelectInput(display, DefaultRootWindow(display), SubstructureRedirectMask);
  XSync(display, False);
  XSetErrorHandler(previous);
  return redirect_refused;
}

// True once a window manager has announced itself on the root window, or, without EWMH, has
// taken the root window's requests.
bool window_manager_announced(const std::string& name) {
  Display* display = XOpenDisplay(name.c_str());
  if (display == nullptr) {
    return false;
  }
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  XGetWindowProperty(display, DefaultRootWindow(display), XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False), 0,
                     1, False, XA_WINDOW, &type, &format, &count, &after, &data);
  if (data != nullptr) {
    XFree(data);
  }
  const bool announced = count == 1 || root_redirected(display);
  XCloseDisplay(display);
  return announced;
}

// Ends a process, or with `group` its whole process group.
void stop(pid_t process, bool group = false) {
  if (process > 0) {
    const pid_t target = group ? -process : process;
    kill(target, SIGTERM);
    if (!wait_for_exit(process, std::chrono::seconds(3))) {
      kill(target, SIGKILL);
      waitpid(process, nullptr, 0);
    }
    if (group) {
      kill(target, SIGKILL);  // helpers that outlived it
    }
  }
}

}  // namespace

XSession::XSession(const SessionSetup& setup) {
  if (const char* previous = std::getenv("DISPLAY")) {
    previous_display_ = previous;
  }
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) {
    return;
  }
  // Xvfb picks a free display number and writes it to the descriptor.
  const pid_t child = fork();
  if (child == 0) {
    close(pipe_ends[0]);
    const std::string descriptor = std::to_string(pipe_ends[1]);
    std::vector<std::string> arguments = {"Xvfb", "-displayfd", descriptor, "-screen", "0", "1920x1080x24",
                                          "-nolisten", "tcp", "-noreset"};
    arguments.insert(arguments.end(), setup.server_options.begin(), setup.server_options.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
      argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  server_ = child;
  close(pipe_ends[1]);
  std::string number;
  char character = 0;
  while (read(pipe_ends[0], &character, 1) == 1 && character != '\n') {
    number.push_back(character);
  }
  close(pipe_ends[0]);
  if (number.empty()) {
    return;
  }
  display_ = ":" + number;
  setenv("DISPLAY", display_.c_str(), 1);
  if (setup.window_manager.empty()) {
    ready_ = true;
    return;
  }
  // In a group of its own with the helpers it starts (xfwm4's session bus and the services it
  // activates), which end with it; its output goes nowhere, so that no helper holds the test's open.
  const int quiet = open("/dev/null", O_WRONLY);
  window_manager_ = spawn(setup.window_manager, quiet, "/dev/null", true);
  close(quiet);
  for (int attempt = 0; attempt < 50 && !ready_; ++attempt) {
    if (setup.answers_frame_requests) {
      ready_ = window_manager_ready(display_);
    } else {
      ready_ = window_manager_announced(display_);
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  if (!setup.answers_frame_requests) {
    // It announces itself before it has finished setting up the desktop.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
}

XSession::~XSession() {
  stop(window_manager_, true);
  stop(server_);
  if (previous_display_) {
    setenv("DISPLAY", previous_display_->c_str(), 1);
  } else {
    unsetenv("DISPLAY");
  }
}

pid_t start_program(const std::vector<std::string>& arguments, const std::string& error_file) {
  return spawn(arguments, -1, error_file);
}

Ending run_to_its_end(const std::vector<std::string>& arguments) {
  char path[] = "/tmp/tablescope-errors-XXXXXX";
  const int file = mkstemp(path);
  if (file < 0) {
    return {};
  }
  close(file);
  const pid_t child = spawn(arguments, -1, path);
  Ending ending{wait_for_exit(child, std::chrono::seconds(5)), {}};
  if (!ending.code) {
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
  }
  std::ifstream stream(path);
  ending.errors.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
  unlink(path);
  return ending;
}

int run_program(const std::vector<std::string>& arguments) {
  const pid_t child = spawn(arguments, -1, "/dev/null");
  return child > 0 ? wait_for_exit(child, std::chrono::seconds(20)).value_or(-1) : -1;
}

std::optional<int> wait_for_exit(pid_t process, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    int status = 0;
    const pid_t ended = waitpid(process, &status, WNOHANG);
    if (ended == process) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (ended < 0 || std::chrono::steady_clock::now() >= deadline) {
      return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

std::chrono::milliseconds processor_time(pid_t process) {
  std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
  std::string line;
  std::getline(stat, line);
  // The fields after the command's name, which ends with the last ')'.
  std::istringstream fields(line.substr(line.rfind(')') + 2));
  std::string field;
  long user = 0, system = 0;
  for (int index = 3; fields >> field; ++index) {
    if (index == 14) user = std::stol(field);
    if (index == 15) {
      system = std::stol(field);
      break;
    }
  }
  const long ticks = sysconf(_SC_CLK_TCK);
  return std::chrono::milliseconds((user + system) * 1000 / ticks);
}

bool settle(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

}  // namespace x11_test
