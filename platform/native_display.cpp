#include "platform/native_display.h"

#if defined(_WIN32)
#include "platform/win32/backend.h"
#elif defined(__EMSCRIPTEN__)
#include "platform/web/backend.h"
#else
#include "platform/x11/backend.h"
#endif

namespace platform {

#if defined(_WIN32)
const char* const native_display_name = "the Windows desktop";

// A Win32 desktop does not go away under a running program.
std::unique_ptr<NativeDisplay> open_native_display(std::string& error, DisplayFailureReport) {
  return open_win32_display(error);
}
#elif defined(__EMSCRIPTEN__)
const char* const native_display_name = "a web page with a canvas";

// The page stays while the program runs.
std::unique_ptr<NativeDisplay> open_native_display(std::string& error, DisplayFailureReport) {
  return open_web_display(error);
}
#else
const char* const native_display_name = "an X display";

std::unique_ptr<NativeDisplay> open_native_display(std::string& error, DisplayFailureReport report) {
  return open_x11_display(error, report);
}
#endif

}  // namespace platform
