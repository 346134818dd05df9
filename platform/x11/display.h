#pragma once

#include <memory>
#include <string>

#include "platform/windows/display.h"

namespace platform {

// The display of an X server, through Xlib: one X window for every top-level window, its surface
// shared with the server through MIT-SHM where the server offers it. X errors and a lost
// connection end the program with one line on standard error.
// Returns nullptr, with the reason in `error`, when no display can be used.
std::unique_ptr<Display> open_x11_display(std::string& error);

}  // namespace platform
