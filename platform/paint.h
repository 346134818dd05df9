#pragma once

#include <cstdint>
#include <string_view>

#include "platform/bitmap.h"
#include "platform/geometry.h"
#include "platform/glyphs.h"
#include "platform/messages.h"
#include "platform/window.h"

namespace platform {

// Drawing into a window's part of its top-level window's surface, cut to the area being painted.
// Coordinates are the window's own inner coordinates; colours are 0x00RRGGBB.
class PaintContext {
 public:
  PaintContext(Surface& surface, Point origin, const Rect& clip);

  const Rect& clip() const { return clip_; }

  void fill(const Rect& area, std::uint32_t colour);
  void frame(const Rect& area, std::uint32_t colour);
  // Every other pixel of the rectangle's outline: the keyboard focus ring.
  void dotted_frame(const Rect& area, std::uint32_t colour);
  // The bitmap's pixels 1:1 with its top-left corner at `at`; 32-bit pixels are laid over what
  // is there by their alpha.
  void draw_bitmap(const Bitmap& bitmap, Point at);
  // The text in one line, centred in `box`, its glyph edges blended over what is there.
  void draw_text(FontHandle font, std::string_view text, const Rect& box, std::uint32_t colour);

 private:
  std::uint32_t* pixel(int x, int y) const;

  Surface& surface_;
  Point origin_;
  Rect clip_;  // in window coordinates, within the surface
};

// Opens painting of what is marked on the window: erasing first where that was asked for
// (an EraseBackground message that carries the context), and unmarks it.
PaintContext begin_paint(Window& window);
// Paints the children under the painted area and shows the result.
void end_paint(Window& window, const PaintContext& context);

// The context that an EraseBackground message carries.
PaintContext& erase_context(const Message& message);

}  // namespace platform
