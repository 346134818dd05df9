#pragma once

#include <memory>
#include <string>

#include "platform/windows/display.h"

namespace platform {

// The page the program runs in: its one top-level window is the canvas. Returns nullptr, with the
// reason in `error`, when the page has no canvas to show it on.
std::unique_ptr<Display> open_web_display(std::string& error);

}  // namespace platform
