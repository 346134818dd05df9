#pragma once

#include <cstdint>
#include <optional>

namespace present {

struct LineEnds {
  std::int64_t x1;
  std::int64_t y1;
  std::int64_t x2;
  std::int64_t y2;
};

// Cuts a sloped line to the image, first in x against 0 to width - 1, then in y against 0 to
// height - 1, moving each end that lies outside along the line's slope (truncated towards zero).
// Returns nothing when no part of the line lies on the image. Works in 64 bits and floating point,
// so any pair of 32-bit end points is safe.
std::optional<LineEnds> cut_line(LineEnds line, int width, int height);

}  // namespace present
