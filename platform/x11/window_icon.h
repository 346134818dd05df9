#pragma once

#include <cstdint>
#include <span>

namespace platform {

// The program's icon at the sizes task bars and window switchers show, laid out as the _NET_WM_ICON
// property wants it: for each size its width, its height, then its pixels as 0xAARRGGBB (alpha not
// premultiplied), rows from the top.
std::span<const std::uint32_t> window_icon();

}  // namespace platform
