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

// Every text of a window is drawn at the resolution the window is shown at, 96 dpi per layout
// pixel: text in layout pixels is made for 96 dpi and magnified with the window, text drawn at the
// device's own resolution is made for 96 x scale. So labels and captions grow and shrink together,
// and only in whole steps: between two scales (120 dpi at scale 1, 144 dpi at scale 2) they keep
// the size of the scale, as the controls around them, fixed in layout pixels, do.
inline constexpr int text_dpi(int scale) { return ordinary_dpi * scale; }

// A rectangle of layout pixels as the device pixels it covers at `scale`.
inline Rect scaled(const Rect& area, int scale) {
  return {area.left * scale, area.top * scale, area.right * scale, area.bottom * scale};
}

// The layout pixel that holds a device pixel, rounding towards minus infinity so that points left
// of or above a window map outside it.
inline int unscaled(int device, int scale) { return device >= 0 ? device / scale : -((-device + scale - 1) / scale); }

}  // namespace platform
