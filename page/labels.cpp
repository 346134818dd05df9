#include "page/labels.h"

#include <algorithm>
#include <limits>

namespace page {
namespace {

// Digits are produced least significant first and then reversed.
template <typename Unsigned>
void append_digits(std::string& text, Unsigned magnitude) {
  const std::size_t first = text.size();
  do {
    text.push_back(static_cast<char>('0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  std::reverse(text.begin() + static_cast<std::ptrdiff_t>(first), text.end());
}

}  // namespace

std::string hex_text(std::int64_t value) {
  static constexpr char digits[] = "0123456789ABCDEF";
  const auto pattern = static_cast<std::uint64_t>(value);
  std::string text;
  for (int shift = 60; shift >= 0; shift -= 4) {
    const unsigned digit = (pattern >> shift) & 0xF;
    if (digit != 0 || !text.empty() || shift == 0) {
      text.push_back(digits[digit]);
    }
  }
  return text;
}

std::string decimal_text(std::int64_t value) {
  std::string text;
  if (value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max()) {
    // Values that fit take the cheaper 32-bit path; the one value whose magnitude does not fit
    // in 32 bits is written out whole.
    const auto small = static_cast<std::int32_t>(value);
    if (small == std::numeric_limits<std::int32_t>::min()) {
      return "-2147483648";
    }
    if (small < 0) {
      text.push_back('-');
    }
    append_digits(text, static_cast<std::uint32_t>(small < 0 ? -small : small));
    return text;
  }
  // The magnitude is taken in unsigned arithmetic, so the smallest 64-bit value comes out exactly.
  std::uint64_t magnitude = static_cast<std::uint64_t>(value);
  if (value < 0) {
    text.push_back('-');
    magnitude = 0 - magnitude;
  }
  append_digits(text, magnitude);
  return text;
}

std::string pad_left(std::string_view text, int width, std::optional<std::string_view> pad) {
  const std::size_t field = static_cast<std::size_t>(std::max(width, 0));
  const std::size_t kept = std::min(text.size(), field);
  const char fill = pad && !pad->empty() ? pad->front() : ' ';
  std::string result(field - kept, fill);
  result.append(text.substr(0, kept));
  return result;
}

ColumnLabels column_labels(int page, int column) {
  const std::int64_t offset = std::int64_t{column} * 64 + std::int64_t{page} * 512 + 768;
  const std::int64_t wave = std::int64_t{page} * 8 + column;
  return {hex_text(offset) + "h", decimal_text(offset) + "d", pad_left(decimal_text(wave), 3, "0")};
}

}  // namespace page
