#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace x11_test {

// How a session's server is set up: the window manager's command (none when empty), whether that
// window manager answers requests for frame extents (how its readiness is told), and options for Xvfb.
struct SessionSetup {
  std::vector<std::string> window_manager = {"openbox", "--sm-disable"};
  bool answers_frame_requests = true;
  std::vector<std::string> server_options;
};

// A private X server (Xvfb) with a window manager (openbox unless told otherwise) managing its
// windows. DISPLAY points at it while it runs and at what it pointed at before once it has ended.
class XSession {
 public:
  explicit XSession(const SessionSetup& setup = {});
  ~XSession();
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  bool ready() const { return ready_; }
  const std::string& display() const { return display_; }
  pid_t server_pid() const { return server_; }

 private:
  pid_t server_ = -1;
  pid_t window_manager_ = -1;
  std::string display_;
  std::optional<std::string> previous_display_;
  bool ready_ = false;
};

// Starts a program with the session's display; its standard error goes to `error_file`.
pid_t start_program(const std::vector<std::string>& arguments, const std::string& error_file = "/dev/null");

// How a program that ends by itself ended: its exit code (nothing when it had not ended after five
// seconds, and was killed) and all it wrote on standard error.
struct Ending {
  std::optional<int> code;
  std::string errors;
};
Ending run_to_its_end(const std::vector<std::string>& arguments);

// Runs a program to its end and returns its exit code (-1 when it could not run or was killed).
int run_program(const std::vector<std::string>& arguments);

// Waits for a process to end; its exit code, or nothing when it has not ended in time.
std::optional<int> wait_for_exit(pid_t process, std::chrono::milliseconds limit);

// Asks every 20 ms, for at most five seconds, whether what another process or the server does has
// happened; false when it has not.
bool settle(const std::function<bool()>& done);

// The processor time a process has used, user and system.
std::chrono::milliseconds processor_time(pid_t process);

}  // namespace x11_test
