#include "platform/x11/resources.h"

#include <charconv>
#include <cmath>

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
  double dpi = 0;
  if (!value || std::from_chars(value->data(), value->data() + value->size(), dpi).ec != std::errc{} ||
      dpi < 24 || dpi > 960) {
    return std::nullopt;
  }
  return static_cast<int>(std::lround(dpi));
}

}  // namespace platform
