#include "platform/x11/resources.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace platform {
namespace {

constexpr std::string_view blanks = " \t";

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

std::optional<int> xft_dpi(std::string_view resources) {
  std::optional<std::string_view> value;
  while (!resources.empty()) {
    const std::size_t end = resources.find('\n');
    const std::string_view line = resources.substr(0, end);
    resources = end == std::string_view::npos ? std::string_view{} : resources.substr(end + 1);
    const std::size_t colon = line.find(':');
    if (colon != std::string_view::npos && trimmed(line.substr(0, colon)) == "Xft.dpi") {
      value = trimmed(line.substr(colon + 1));
    }
  }
  if (!value || value->empty()) {
    return std::nullopt;
  }
  // strtod, not from_chars: the web build's C++ library reads no floating point with from_chars.
  // The program never sets a locale, so the decimal point is always '.'.
  const std::string text(*value);
  char* end = nullptr;
  const double dpi = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !(dpi >= 24 && dpi <= 960)) {
    return std::nullopt;
  }
  return static_cast<int>(std::lround(dpi));
}

}  // namespace platform
