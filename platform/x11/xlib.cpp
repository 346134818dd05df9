#include "platform/x11/xlib.h"

#include "platform/system/shared_libraries.h"

namespace platform {
namespace {

Xlib calls;

// Empty once every call is found, else why not. libXext and libXrandr bring libX11 with them.
std::string load() {
  SharedLibraries libraries({"libX11.so.6", "libXext.so.6", "libXrandr.so.2"}, "the X libraries");
#define TABLESCOPE_XLIB_FIND(name) libraries.find(calls.name, #name);
  TABLESCOPE_XLIB_CALLS(TABLESCOPE_XLIB_FIND)
#undef TABLESCOPE_XLIB_FIND
  return libraries.failure();
}

}  // namespace

bool load_xlib(std::string& error) {
  // Loaded once, whatever the outcome: a second display asks the same libraries.
  static const std::string failure = load();
  error = failure;
  return failure.empty();
}

const Xlib& xlib() { return calls; }

}  // namespace platform
