#include "platform/system/shared_libraries.h"

#include <dlfcn.h>

#include <utility>

namespace platform {

SharedLibraries::SharedLibraries(std::initializer_list<const char*> sonames, std::string named)
    : named_(std::move(named)) {
  for (const char* soname : sonames) {
    void* handle = dlopen(soname, RTLD_LAZY | RTLD_LOCAL);
    if (handle == nullptr) {
      const char* reason = dlerror();
      failure_ = named_ + " cannot be loaded (" + (reason ? reason : soname) + ")";
      return;
    }
    handles_.push_back(handle);
  }
}

void* SharedLibraries::address(const char* name) {
  if (!failure_.empty()) {
    return nullptr;
  }
  for (void* handle : handles_) {
    if (void* found = dlsym(handle, name)) {
      return found;
    }
  }
  failure_ = std::string(name) + " is missing from " + named_;
  return nullptr;
}

}  // namespace platform
