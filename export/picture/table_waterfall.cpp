#include "export/picture/table_waterfall.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace exporter {
namespace {

constexpr std::array<std::uint8_t, 3> background{0x10, 0x1c, 0x30};
constexpr std::array<std::uint8_t, 3> line{0x9c, 0xe0, 0xff};
constexpr int margin = 8;
constexpr int back_baseline = 39;
constexpr int step = 2;       // between frames, each way, and the width of a point
constexpr int half_band = 32;  // a full-scale level's height

}  // namespace

RgbaPicture table_waterfall(const Frames& table, int scale) {
  constexpr int width = static_cast<int>(waterfall_width);
  constexpr int height = static_cast<int>(waterfall_height);
  std::vector<bool> lit(waterfall_width * waterfall_height, false);
  const auto set = [&lit](int x, int y, bool value) {
    if (x >= 0 && x < width && y >= 0 && y < height) {
      lit[static_cast<std::size_t>(y * width + x)] = value;
    }
  };
  const int frames = static_cast<int>(table.count());
  for (int k = frames - 1; k >= 0; --k) {
    const int baseline = back_baseline + step * (frames - 1 - k);
    const std::span<const double> levels = table.frame(static_cast<std::size_t>(k));
    int previous = 0;
    for (int i = 0; i < static_cast<int>(levels.size()); ++i) {
      const int y = baseline - static_cast<int>(std::floor(levels[static_cast<std::size_t>(i)] / 4.0));
      const int x = margin + step * k + step * i;
      for (int column = x; column < x + step; ++column) {
        for (int row = y + 1; row <= baseline + half_band; ++row) {
          set(column, row, false);
        }
        set(column, y, true);
      }
      if (i > 0) {
        for (int row = std::min(previous, y); row <= std::max(previous, y); ++row) {
          set(x, row, true);
        }
      }
      previous = y;
    }
  }
  const auto s = static_cast<std::size_t>(std::max(scale, 1));
  RgbaPicture picture{waterfall_width * s, waterfall_height * s, {}};
  picture.pixels.resize(picture.width * picture.height * 4);
  for (std::size_t y = 0; y < picture.height; ++y) {
    for (std::size_t x = 0; x < picture.width; ++x) {
      const auto& colour = lit[(y / s) * waterfall_width + x / s] ? line : background;
      std::uint8_t* pixel = &picture.pixels[(y * picture.width + x) * 4];
      std::copy(colour.begin(), colour.end(), pixel);
      pixel[3] = 0xFF;
    }
  }
  return picture;
}

}  // namespace exporter
