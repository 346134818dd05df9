#pragma once

#include "platform/graphics/geometry.h"

namespace platform {

// Windows are laid out in layout pixels, the size they have on an ordinary 96-dpi desktop, and
// shown at a whole-number scale: each layout pixel covers scale x scale pixels of the device.

inline constexpr int ordinary_dpi = 96;

// The scale the desktop's resolution asks for: 1 below 144 dpi, 2 from 144, 3 from 240, and so on.
int scale_for_dpi(int dpi);

// The largest scale, at most the one the resolution asks for and at least 1, at which a window
// whose inner area has `layout` pixels fits the monitor with its frame.
int fitting_scale(int dpi, Size layout, const FrameExtents& frame, Size monitor);

// The resolution that fonts sized in layout pixels are made for: the desktop's own at scale 1,
// otherwise what is left of it per layout pixel, never below 96. At 144, 192 and 288 dpi this is
// 96, so that text in layout pixels keeps its 96-dpi size.
int layout_dpi(int dpi);

// The resolution of text drawn at the device's own resolution in a window shown at `scale`: the
// desktop's own, but never above 96 per layout pixel. The sizes of controls are fixed in layout
// pixels around captions of their 96-dpi size; a larger caption would be cut by its control.
int device_text_dpi(int dpi, int scale);

// A rectangle of layout pixels as the device pixels it covers at `scale`.
inline Rect scaled(const Rect& area, int scale) {
  return {area.left * scale, area.top * scale, area.right * scale, area.bottom * scale};
}

// The layout pixel that holds a device pixel, rounding towards minus infinity so that points left
// of or above a window map outside it.
inline int unscaled(int device, int scale) { return device >= 0 ? device / scale : -((-device + scale - 1) / scale); }

}  // namespace platform
