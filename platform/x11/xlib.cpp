#include "platform/x11/xlib.h"

#include <dlfcn.h>

#include <array>

namespace platform {
namespace {

// By their sonames, the ABI the headers describe; libXext and libXrandr bring libX11 with them.
constexpr std::array libraries{"libX11.so.6", "libXext.so.6", "libXrandr.so.2"};

Xlib calls;

// Empty once every call is found, else why not.
std::string load() {
  std::array<void*, libraries.size()> handles{};
  for (std::size_t index = 0; index < libraries.size(); ++index) {
    handles[index] = dlopen(libraries[index], RTLD_LAZY | RTLD_LOCAL);
    if (handles[index] == nullptr) {
      const char* reason = dlerror();
      return std::string("the X libraries cannot be loaded (") + (reason ? reason : libraries[index]) + ")";
    }
  }
  std::string missing;
  auto find = [&](const char* name) -> void* {
    for (void* handle : handles) {
      if (void* found = dlsym(handle, name)) return found;
    }
    if (missing.empty()) missing = name;
    return nullptr;
  };
#define TABLESCOPE_XLIB_FIND(name) calls.name = reinterpret_cast<decltype(calls.name)>(find(#name));
  TABLESCOPE_XLIB_CALLS(TABLESCOPE_XLIB_FIND)
#undef TABLESCOPE_XLIB_FIND
  return missing.empty() ? missing : "the X libraries lack " + missing;
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
