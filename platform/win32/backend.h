#pragma once

#include <memory>
#include <string>

#include "platform/window_system/seam.h"

namespace platform {

// The Windows desktop: one Win32 window for every top-level window, its surface shown with the
// device-independent bitmap calls, push buttons in the desktop's visual style.
// Returns nullptr, with the reason in `error`, when no window class can be registered.
std::unique_ptr<NativeDisplay> open_win32_display(const ProgramIdentity& identity, std::string& error);

}  // namespace platform
