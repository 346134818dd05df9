#include "platform/graphics/coverage_block.h"

#include <algorithm>

namespace platform {

void clear_cell(Bitmap& target, int x, int y, const TextExtent& cell) {
  const int pixel_size = target.pixel_size();
  const long left = std::max(0L, long{x});
  const long right = std::min(long{target.width()}, long{x} + cell.width);
  const long top = std::max(0L, long{y});
  const long bottom = std::min(long{target.height()}, long{y} + cell.height);
  for (long row = top; row < bottom && left < right; ++row) {
    std::uint8_t* start = target.row(static_cast<int>(row)) + left * pixel_size;
    if (pixel_size == 3) {
      std::fill_n(start, (right - left) * 3, std::uint8_t{0});
    } else {
      for (long column = left; column < right; ++column, start += pixel_size) {
        std::fill_n(start, 3, std::uint8_t{0});
      }
    }
  }
}

void write_block(Bitmap& target, const CoverageBlock& block) {
  const int pixel_size = target.pixel_size();
  const long first_column = std::max(0L, -block.left);
  const long last_column = std::min(block.width, target.width() - block.left);
  const long first_row = std::max(0L, -block.top);
  const long last_row = std::min(block.rows, target.height() - block.top);
  for (long row = first_row; row < last_row; ++row) {
    const std::uint8_t* coverage = block.data + row * block.pitch;
    std::uint8_t* pixel = target.row(static_cast<int>(block.top + row)) + (block.left + first_column) * pixel_size;
    for (long column = first_column; column < last_column; ++column, pixel += pixel_size) {
      // Neighbouring glyphs may overlap; the brighter coverage wins. Most of a glyph's box is
      // empty and needs no write at all.
      const std::uint8_t value = coverage[column];
      if (value > pixel[0]) {
        pixel[0] = pixel[1] = pixel[2] = value;
      }
    }
  }
}

void trace_block(const CoverageBlock& block, const std::function<void(int x, int y, std::uint8_t coverage)>& paint) {
  for (long row = 0; row < block.rows; ++row) {
    for (long column = 0; column < block.width; ++column) {
      const std::uint8_t coverage = block.data[row * block.pitch + column];
      if (coverage != 0) {
        paint(static_cast<int>(block.left + column), static_cast<int>(block.top + row), coverage);
      }
    }
  }
}

}  // namespace platform
