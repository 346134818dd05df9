#include "export/audio/alsa.h"

#include <dlfcn.h>

#include <string>

#include "export/failures.h"

namespace exporter {
namespace {

// By its soname, the ABI the headers describe.
constexpr const char* library = "libasound.so.2";

// Empty once every call is found, else why not.
std::string load(Alsa& calls) {
  void* handle = dlopen(library, RTLD_LAZY | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    return std::string("the ALSA library cannot be loaded (") + (reason ? reason : library) + ")";
  }
  std::string missing;
  auto find = [&](const char* name) -> void* {
    void* found = dlsym(handle, name);
    if (found == nullptr && missing.empty()) missing = name;
    return found;
  };
#define TABLESCOPE_ALSA_FIND(name) calls.name = reinterpret_cast<decltype(calls.name)>(find(#name));
  TABLESCOPE_ALSA_CALLS(TABLESCOPE_ALSA_FIND)
#undef TABLESCOPE_ALSA_FIND
  return missing.empty() ? missing : "the ALSA library lacks " + missing;
}

}  // namespace

const Alsa& alsa() {
  static Alsa calls;
  static const std::string failure = load(calls);
  if (!failure.empty()) {
    throw ExportFailure(failure);
  }
  return calls;
}

}  // namespace exporter
