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

namespace {

// The length of the well-formed UTF-8 character of more than one byte that starts `text`, or 0.
std::size_t utf8_length(std::string_view text) {
  const auto byte = [&](std::size_t index) { return static_cast<unsigned char>(text[index]); };
  const unsigned char lead = byte(0);
  const std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4                                 ? 4
                                                                                            : 0;
  if (length == 0 || text.size() < length) {
    return 0;
  }
  // The second byte's range excludes overlong forms, surrogates and code points above U+10FFFF.
  const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
  const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
  if (byte(1) < low || byte(1) > high) {
    return 0;
  }
  for (std::size_t index = 2; index < length; ++index) {
    if (byte(index) < 0x80 || byte(index) > 0xBF) {
      return 0;
    }
  }
  return length;
}

}  // namespace

std::string printable(std::string_view text, std::size_t most) {
  constexpr char digits[] = "0123456789abcdef";
  std::string shown;
  std::size_t characters = 0;
  for (std::size_t index = 0; index < text.size(); ++characters) {
    if (characters == most) {
      shown += "...";
      break;
    }
    const auto byte = static_cast<unsigned char>(text[index]);
    const std::size_t length = utf8_length(text.substr(index));
    // U+0080 to U+009F are control characters too.
    if (length > 0 && !(byte == 0xC2 && static_cast<unsigned char>(text[index + 1]) < 0xA0)) {
      shown.append(text.substr(index, length));
      index += length;
      continue;
    }
    if (byte == '\\') {
      shown += "\\\\";
    } else if (byte >= 0x20 && byte < 0x7F) {
      shown.push_back(static_cast<char>(byte));
    } else {
      shown += {'\\', 'x', digits[byte >> 4], digits[byte & 15]};
    }
    ++index;
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
