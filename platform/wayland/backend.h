#pragma once

#include <memory>
#include <string>

#include "platform/window_system/seam.h"

namespace platform {

// The display of a Wayland compositor, through libwayland-client: one xdg-shell toplevel for every
// top-level window, decorated by the compositor where it offers to (xdg-decoration) and by libdecor
// where it does not, its pixels shown from two wl_shm buffers in turn. A lost connection is told to
// `report`, and then ends the program.
// Returns nullptr, with the reason in `error`, when no compositor answers or it lacks what is needed.
std::unique_ptr<NativeDisplay> open_wayland_display(const ProgramIdentity& identity, std::string& error,
                                                    DisplayFailureReport report = nullptr);

}  // namespace platform
