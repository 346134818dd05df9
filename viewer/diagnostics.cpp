#include "viewer/diagnostics.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include <cstdio>

namespace viewer {

void open_standard_streams() {
#ifndef _WIN32
  for (int descriptor = 0; descriptor <= 2; ++descriptor) {
    if (fcntl(descriptor, F_GETFD) == -1) {
      // open gives the lowest free number: this one.
      if (open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY) == -1) {
        return;
      }
    }
  }
#endif
}

std::string printable(std::string_view text, std::size_t most) {
  constexpr char digits[] = "0123456789abcdef";
  std::string shown;
  for (std::size_t index = 0; index < text.size(); ++index) {
    if (index == most) {
      shown += "...";
      break;
    }
    const auto byte = static_cast<unsigned char>(text[index]);
    if (byte == '\\') {
      shown += "\\\\";
    } else if (byte >= 0x20 && byte < 0x7F) {
      shown.push_back(static_cast<char>(byte));
    } else {
      shown += {'\\', 'x', digits[byte >> 4], digits[byte & 15]};
    }
  }
  return shown;
}

void report_display_failure(const platform::DisplayFailure& failure) {
  if (failure.kind == platform::DisplayFailure::Kind::ConnectionLost) {
    std::fprintf(stderr, "tablescope: lost the connection to %s\n", printable(failure.detail).c_str());
  } else {
    std::fprintf(stderr, "tablescope: the X server refused a request: %s\n", printable(failure.detail).c_str());
  }
}

void report_font_fallback(const platform::FontFallback& fallback) {
  if (fallback.used.empty()) {
    std::fprintf(stderr,
                 "tablescope: no font could be loaded for \"%s\" nor any other face; texts are left out "
                 "(install the Debian package fonts-liberation)\n",
                 printable(fallback.asked).c_str());
  } else {
    std::fprintf(stderr,
                 "tablescope: no font could be loaded for \"%s\" at %d pixels; texts are drawn in \"%s\" at %d "
                 "pixels (install the Debian package fonts-liberation)\n",
                 printable(fallback.asked).c_str(), fallback.asked_pixels, printable(fallback.used).c_str(),
                 fallback.used_pixels);
  }
}

}  // namespace viewer
