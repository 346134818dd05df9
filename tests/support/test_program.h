#pragma once

#include "platform/window_system/seam.h"

namespace tests {

// The name the test programs' windows go by on the desktop: apart from the viewer's, so that a
// test never takes one for the other.
inline constexpr platform::ProgramIdentity test_program{"io.github.tablescope.Tests", "tablescope-tests",
                                                         "TablescopeTests", {}, 0};

}  // namespace tests
