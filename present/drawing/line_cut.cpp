#include "present/drawing/line_cut.h"

#include <algorithm>
#include <cmath>

namespace present {
namespace {

// Far outside any image, yet far from the limits of 64-bit arithmetic.
constexpr double coordinate_limit = 4611686018427387904.0;  // 2^62

std::int64_t truncate(double value) {
  return static_cast<std::int64_t>(std::trunc(std::clamp(value, -coordinate_limit, coordinate_limit)));
}

// Cuts the ends (a1, b1) and (a2, b2) to lo <= a <= hi; false when the line lies wholly outside.
bool cut_axis(std::int64_t& a1, std::int64_t& b1, std::int64_t& a2, std::int64_t& b2, std::int64_t lo,
              std::int64_t hi) {
  if ((a1 < lo && a2 < lo) || (a1 > hi && a2 > hi)) {
    return false;
  }
  if (a1 >= lo && a1 <= hi && a2 >= lo && a2 <= hi) {
    return true;
  }
  // Both ends lie on different sides or one inside, so a1 != a2 here.
  const double slope = static_cast<double>(b2 - b1) / static_cast<double>(a2 - a1);
  const auto moved = [slope](std::int64_t b, std::int64_t from, std::int64_t to) {
    return truncate(static_cast<double>(b) + static_cast<double>(to - from) * slope);
  };
  if (a1 < lo) {
    b1 = moved(b1, a1, lo);
    a1 = lo;
    if (a2 > hi) {
      b2 = moved(b2, a2, hi);
      a2 = hi;
    }
  } else if (a1 > hi) {
    b1 = moved(b1, a1, hi);
    a1 = hi;
    if (a2 < lo) {
      b2 = moved(b2, a2, lo);
      a2 = lo;
    }
  } else if (a2 > hi) {
    b2 = moved(b2, a2, hi);
    a2 = hi;
  } else if (a2 < lo) {
    b2 = moved(b2, a2, lo);
    a2 = lo;
  }
  return true;
}

}  // namespace

std::optional<LineEnds> cut_line(LineEnds line, int width, int height) {
  if (!cut_axis(line.x1, line.y1, line.x2, line.y2, 0, width - 1) ||
      !cut_axis(line.y1, line.x1, line.y2, line.x2, 0, height - 1)) {
    return std::nullopt;
  }
  // The y cut moves x only along the part already inside; this only guards against rounding.
  line.x1 = std::clamp<std::int64_t>(line.x1, 0, width - 1);
  line.x2 = std::clamp<std::int64_t>(line.x2, 0, width - 1);
  return line;
}

}  // namespace present
