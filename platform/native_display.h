#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/window_system/seam.h"

namespace platform {

// A display the build holds: its name for TABLESCOPE_BACKEND, the words of the program's messages
// for it ("needs <described> to show its window"), and how it is opened. `open` returns nullptr,
// with the reason in `error`, when it cannot be used; a display that fails later (a lost
// connection) tells `report`, and the program ends.
struct Backend {
  std::string_view name;
  std::string_view described;
  std::unique_ptr<NativeDisplay> (*open)(const ProgramIdentity& identity, std::string& error,
                                         DisplayFailureReport report);
};

// The build's displays in the order they are tried.
std::span<const Backend> backends();

struct OpenedDisplay {
  std::unique_ptr<NativeDisplay> display;
  std::string described;  // what was opened, or what was looked for when nothing was
  std::string error;      // why nothing was opened
};

// Opens the one display that `forced` names (TABLESCOPE_BACKEND) when it is set and not empty,
// else the first of the build's that answers.
OpenedDisplay open_native_display(const ProgramIdentity& identity, DisplayFailureReport report,
                                  const char* forced);

}  // namespace platform
