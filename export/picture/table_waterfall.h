#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "export/sound/frames.h"

namespace exporter {

inline constexpr std::size_t waterfall_width = 392;   // layout pixels
inline constexpr std::size_t waterfall_height = 200;

struct RgbaPicture {
  std::size_t width = 0;
  std::size_t height = 0;
  std::vector<std::uint8_t> pixels;  // width x height x 4 bytes, opaque
};

// A table's 61 frames of 128 levels as a waterfall, each layout pixel a scale x scale block:
// frame k's baseline runs at y = 39 + 2 (60 - k) from x = 8 + 2 k, so that later frames stand
// further back, up and to the right. Frames are drawn from the back: each point i of level L is
// held over the two columns from x = 8 + 2 k + 2 i at y = baseline - floor(L / 4), with a riser
// from the previous point's row in its first column, and first clears the columns below it down
// to its band's floor (the baseline + 32), so that each frame hides what it stands in front of.
RgbaPicture table_waterfall(const Frames& table, int scale);

}  // namespace exporter
