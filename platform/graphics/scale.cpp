#include "platform/graphics/scale.h"

#include <algorithm>

namespace platform {

int scale_for_dpi(int dpi) { return std::max(1, (dpi + ordinary_dpi / 2) / ordinary_dpi); }

int fitting_scale(int dpi, Size layout, const FrameExtents& frame, Size monitor) {
  int scale = scale_for_dpi(dpi);
  const auto fits = [&](int candidate) {
    return layout.width * candidate + frame.left + frame.right <= monitor.width &&
           layout.height * candidate + frame.top + frame.bottom <= monitor.height;
  };
  while (scale > 1 && !fits(scale)) {
    --scale;
  }
  return scale;
}

}  // namespace platform
