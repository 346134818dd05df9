#include "platform/paint.h"

#include <algorithm>
#include <cstring>

namespace platform {

PaintContext::PaintContext(Surface& surface, Point origin, const Rect& clip)
    : surface_(surface),
      origin_(origin),
      clip_(clip.intersected(Rect::at({0, 0}, surface.size).moved(-origin.x, -origin.y))) {}

std::uint32_t* PaintContext::pixel(int x, int y) const {
  return surface_.pixels + static_cast<std::size_t>(y + origin_.y) * surface_.stride +
         static_cast<std::size_t>(x + origin_.x);
}

void PaintContext::fill(const Rect& area, std::uint32_t colour) {
  const Rect cut = area.intersected(clip_);
  for (int y = cut.top; y < cut.bottom; ++y) {
    std::fill_n(pixel(cut.left, y), cut.width(), colour);
  }
}

void PaintContext::frame(const Rect& area, std::uint32_t colour) {
  fill({area.left, area.top, area.right, area.top + 1}, colour);
  fill({area.left, area.bottom - 1, area.right, area.bottom}, colour);
  fill({area.left, area.top + 1, area.left + 1, area.bottom - 1}, colour);
  fill({area.right - 1, area.top + 1, area.right, area.bottom - 1}, colour);
}

void PaintContext::dotted_frame(const Rect& area, std::uint32_t colour) {
  const auto dot = [&](int x, int y) {
    if (clip_.contains({x, y}) && ((x + y) & 1) == 0) {
      *pixel(x, y) = colour;
    }
  };
  for (int x = area.left; x < area.right; ++x) {
    dot(x, area.top);
    dot(x, area.bottom - 1);
  }
  for (int y = area.top; y < area.bottom; ++y) {
    dot(area.left, y);
    dot(area.right - 1, y);
  }
}

namespace {

// One row of blue-green-red pixels as 0x00RRGGBB. Each pixel is read as four bytes
// and masked, which the compiler turns into wide loads; the row's last pixel is read bytewise,
// as its fourth byte may lie past the end of the store.
void convert_row_24(const std::uint8_t* source, std::uint32_t* target, int count) {
  for (int x = 0; x + 1 < count; ++x, source += 3) {
    std::uint32_t value = 0;
    std::memcpy(&value, source, 4);
    target[x] = value & 0xFFFFFF;
  }
  if (count > 0) {
    target[count - 1] = std::uint32_t{source[0]} | std::uint32_t{source[1]} << 8 | std::uint32_t{source[2]} << 16;
  }
}

// A row of 32-bit pixels laid over what is there by their alpha bytes.
void blend_row_32(const std::uint8_t* source, std::uint32_t* target, int count) {
  for (int x = 0; x < count; ++x, source += 4) {
    const std::uint32_t alpha = source[3];
    const std::uint32_t under = target[x];
    std::uint32_t mixed = 0;
    for (int channel = 0; channel < 3; ++channel) {
      const std::uint32_t below = (under >> (8 * channel)) & 0xFF;
      mixed |= ((source[channel] * alpha + below * (255 - alpha)) / 255) << (8 * channel);
    }
    target[x] = mixed;
  }
}

}  // namespace

void PaintContext::draw_bitmap(const Bitmap& bitmap, Point at) {
  const Rect cut = Rect::at(at, {bitmap.width(), bitmap.height()}).intersected(clip_);
  const int pixel_size = bitmap.pixel_size();
  for (int y = cut.top; y < cut.bottom; ++y) {
    const std::uint8_t* source = bitmap.row(y - at.y) + static_cast<std::ptrdiff_t>(cut.left - at.x) * pixel_size;
    if (pixel_size == 3) {
      convert_row_24(source, pixel(cut.left, y), cut.width());
    } else {
      blend_row_32(source, pixel(cut.left, y), cut.width());
    }
  }
}

void PaintContext::draw_text(FontHandle font, std::string_view text, const Rect& box, std::uint32_t colour) {
  const auto extent = measure_text(font, text);
  if (!extent) {
    return;
  }
  const int x = box.left + (box.width() - extent->width) / 2;
  const int y = box.top + (box.height() - extent->height) / 2;
  const Rect cut = box.intersected(clip_);
  trace_text(font, text, x, y, [&](int px, int py, std::uint8_t coverage) {
    if (!cut.contains({px, py})) {
      return;
    }
    std::uint32_t* target = pixel(px, py);
    const std::uint32_t under = *target;
    std::uint32_t mixed = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
      const std::uint32_t a = (colour >> shift) & 0xFF;
      const std::uint32_t b = (under >> shift) & 0xFF;
      mixed |= ((a * coverage + b * (255u - coverage)) / 255u) << shift;
    }
    *target = mixed;
  });
}

}  // namespace platform
