#pragma once

#include <cstdint>
#include <string_view>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/glyphs.h"
#include "platform/graphics/pixel.h"
#include "platform/graphics/surface.h"

namespace platform {

// Drawing into a window's part of its top-level window's surface, cut to the area being painted
// and to the rows the surface holds.
// Coordinates are the window's own inner coordinates in layout pixels; the surface has `scale`
// device pixels per layout pixel on each axis.
class PaintContext {
 public:
  PaintContext(Surface& surface, Point origin, const Rect& clip, int scale = 1);

  const Rect& clip() const { return clip_; }
  int scale() const { return scale_; }

  void fill(const Rect& area, Pixel colour);
  // The rectangle's outline, one device pixel wide: sharp at any scale.
  void frame(const Rect& area, Pixel colour);
  // Every other device pixel of the rectangle's outline: the keyboard focus ring.
  void dotted_frame(const Rect& area, Pixel colour);
  // The bitmap with its top-left corner at `at`, each of its pixels a solid block of scale x scale
  // device pixels; 32-bit pixels are laid over what is there by their alpha.
  void draw_bitmap(const Bitmap& bitmap, Point at);
  // A 24-bit picture made at the device's resolution, its pixels 1:1 onto device pixels with its
  // top-left corner at `at`: sharp at any scale.
  void draw_device_bitmap(const Bitmap& bitmap, Point at);
  // The text in one line, centred in `box`, its glyph edges blended over what is there. The font
  // is drawn at the device's resolution, not magnified: its sizes are device pixels.
  void draw_text(FontHandle font, std::string_view text, const Rect& box, Pixel colour);

 private:
  // A pixel of the surface, in device pixels of this window's inner area.
  Pixel* device_pixel(int x, int y) const;
  void draw_magnified(const Bitmap& bitmap, Point at);

  Surface& surface_;
  int scale_;
  Point origin_;       // of the window's inner area in the top-level's, in device pixels
  Rect clip_;          // in window coordinates, within the surface's rows
  Rect device_clip_;   // the same in device pixels
};

}  // namespace platform
