#pragma once

#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>
#include <optional>

namespace platform {

using PollFunction = int (*)(pollfd* descriptors, nfds_t count, int timeout);

enum class XInput { Nothing, Arrived, Broken };

// Waits until the X connection has input for the program, at most `limit`: at once when Xlib has
// events queued already (a reply read earlier brought them in), else asleep in `poll_function`
// until the server sends something. Nothing when the limit passed with nothing there; Broken when
// the connection hung up or failed.
XInput wait_for_input(::Display* x, std::optional<std::chrono::milliseconds> limit,
                      PollFunction poll_function = ::poll);

}  // namespace platform
