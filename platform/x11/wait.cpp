#include "platform/x11/wait.h"

#include <algorithm>
#include <cstdint>

#include "platform/x11/xlib.h"

namespace platform {

XInput wait_for_input(::Display* x, std::optional<std::chrono::milliseconds> limit, PollFunction poll_function) {
  if (xlib().XEventsQueued(x, QueuedAlready) > 0) {
    return XInput::Arrived;
  }
  // Sleeps in the kernel until the server sends something: no processor time while idle. An
  // interrupted poll counts as input: reading finds nothing and the caller waits again.
  pollfd descriptor{ConnectionNumber(x), POLLIN, 0};
  const int timeout = limit ? static_cast<int>(std::min<std::int64_t>(limit->count(), 1 << 30)) : -1;
  const int ready = poll_function(&descriptor, 1, timeout);
  if (ready == 0) {
    return XInput::Nothing;
  }
  if (ready > 0 && (descriptor.revents & (POLLHUP | POLLERR)) != 0) {
    return XInput::Broken;
  }
  return XInput::Arrived;
}

}  // namespace platform
