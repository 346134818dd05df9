#include "viewer/diagnostics.h"

#include <cstdio>

namespace viewer {

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

void report_font_fallback(const platform::FontFallback& fallback) {
  std::fprintf(stderr,
               "tablescope: no font could be loaded for \"%s\" nor any other face; texts are left out "
               "(install the Debian package fonts-liberation)\n",
               printable(fallback.asked).c_str());
}

}  // namespace viewer
