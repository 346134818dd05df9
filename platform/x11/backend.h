#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/window_system/seam.h"

namespace platform {

// The display of an X server, through Xlib: one X window for every top-level window, its surface
// shared with the server through MIT-SHM where the server offers it. An X error or a lost
// connection is told to `report`, and then ends the program.
// Returns nullptr, with the reason in `error`, when no display can be used.
std::unique_ptr<NativeDisplay> open_x11_display(const ProgramIdentity& identity, std::string& error,
                                                DisplayFailureReport report = nullptr);

// Where the primary monitor lies on the X screen; nothing where the server cannot tell.
using MonitorQuery = std::function<std::optional<Rect>()>;
// The same display with the primary monitor taken from `monitor` instead of RandR, for no program in
// particular: a server's monitors cannot always be laid out as a test needs them (Xvfb's cannot).
std::unique_ptr<NativeDisplay> open_x11_display(std::string& error, MonitorQuery monitor);

}  // namespace platform
