#pragma once

#include <memory>
#include <string>

#include "platform/window_system/seam.h"

namespace platform {

// The page the program runs in: its one top-level window is the canvas. Returns nullptr, with the
// reason in `error`, when the page has no canvas to show it on.
std::unique_ptr<NativeDisplay> open_web_display(const ProgramIdentity& identity, std::string& error);

}  // namespace platform
