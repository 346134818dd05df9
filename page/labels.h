#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace page {

// The value's hexadecimal digits, upper case, without prefix or leading zeros; a negative value
// shows its 64-bit two's complement pattern.
std::string hex_text(std::int64_t value);

// The value in signed decimal, without grouping.
std::string decimal_text(std::int64_t value);

// Exactly max(width, 0) characters: the text right-aligned, filled on the left with the first
// character of `pad` (a blank when there is none), its leftmost characters kept when too long.
std::string pad_left(std::string_view text, int width, std::optional<std::string_view> pad = std::nullopt);

struct ColumnLabels {
  std::string hex_offset;      // the wave's block offset in the EPROM image, e.g. "300h"
  std::string decimal_offset;  // the same offset in decimal, e.g. "768d"
  std::string wave_number;     // three digits, e.g. "000"
};

ColumnLabels column_labels(int page, int column);

}  // namespace page
