#include "export/audio/alsa.h"

#include <string>

#include "export/failures.h"
#include "platform/system/shared_libraries.h"

namespace exporter {
namespace {

// Empty once every call is found, else why not.
std::string load(Alsa& calls) {
  platform::SharedLibraries library({"libasound.so.2"}, "the ALSA library");
#define TABLESCOPE_ALSA_FIND(name) library.find(calls.name, #name);
  TABLESCOPE_ALSA_CALLS(TABLESCOPE_ALSA_FIND)
#undef TABLESCOPE_ALSA_FIND
  return library.failure();
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
