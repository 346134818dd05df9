#include "viewer/window_icon.h"

namespace viewer {

// In a web page the site's icon stands for the program: the canvas carries none.
std::span<const std::uint32_t> window_icon() { return {}; }

}  // namespace viewer
