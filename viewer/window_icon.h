#pragma once

#include <cstdint>
#include <span>

namespace viewer {

// The program's icon at the sizes task bars and window switchers show: for each size its width,
// its height, then its pixels as 0xAARRGGBB (alpha not premultiplied), rows from the top.
std::span<const std::uint32_t> window_icon();

}  // namespace viewer
