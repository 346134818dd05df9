#pragma once

#include <string>

namespace platform {

// Why the desktop's display cannot go on: it refused a request the program sent it, or the
// connection to it was lost. The detail is in the display's own terms (the refused request); the
// program words the message, and the process ends once it has.
struct DisplayFailure {
  enum class Kind { RequestRefused, ConnectionLost } kind;
  std::string detail;
};
using DisplayFailureReport = void (*)(const DisplayFailure&);

}  // namespace platform
