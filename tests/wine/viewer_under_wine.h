#pragma once

#include <string>

namespace wine_test {

// The Windows build of the viewer that the tests start.
inline std::string windows_executable;

}  // namespace wine_test
