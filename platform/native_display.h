#pragma once

#include <memory>
#include <string>

#include "platform/window_system/seam.h"

namespace platform {

// The desktop the program shows its window on: Win32 in the Windows build, the page's canvas in
// the web build, X11 elsewhere.
// Returns nullptr, with the reason in `error`, when it cannot be used. A display that fails later
// (a lost connection) tells `report`, and the program ends.
std::unique_ptr<NativeDisplay> open_native_display(std::string& error, DisplayFailureReport report);

// The desktop in the words of the program's messages: "needs <this> to show its window".
extern const char* const native_display_name;

}  // namespace platform
