#include "platform/graphics/paint_context.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/graphics/scale.h"

namespace platform {

PaintContext::PaintContext(Surface& surface, Point origin, const Rect& clip, int scale)
    : surface_(surface),
      scale_(scale),
      origin_{origin.x * scale, origin.y * scale},
      clip_(clip.intersected(Rect::at({0, surface.top / scale}, {surface.size.width / scale, surface.size.height / scale})
                                 .moved(-origin.x, -origin.y))),
      device_clip_(scaled(clip_, scale)) {}

Pixel* PaintContext::device_pixel(int x, int y) const {
  return surface_.pixels + static_cast<std::size_t>(y + origin_.y - surface_.top) * surface_.stride +
         static_cast<std::size_t>(x + origin_.x);
}

// The first row is filled and copied to the others: copying is the C library's fastest loop, and
// the web build's first picture fills most of the window while its code is still unoptimized.
void PaintContext::fill(const Rect& area, Pixel colour) {
  const Rect cut = scaled(area, scale_).intersected(device_clip_);
  if (cut.empty()) {
    return;
  }
  const Pixel* const first = std::fill_n(device_pixel(cut.left, cut.top), cut.width(), colour) - cut.width();
  for (int y = cut.top + 1; y < cut.bottom; ++y) {
    std::memcpy(device_pixel(cut.left, y), first, static_cast<std::size_t>(cut.width()) * sizeof(Pixel));
  }
}

void PaintContext::frame(const Rect& area, Pixel colour) {
  const Rect outline = scaled(area, scale_);
  const auto line = [&](const Rect& part) {
    const Rect cut = part.intersected(device_clip_);
    for (int y = cut.top; y < cut.bottom; ++y) {
      std::fill_n(device_pixel(cut.left, y), cut.width(), colour);
    }
  };
  line({outline.left, outline.top, outline.right, outline.top + 1});
  line({outline.left, outline.bottom - 1, outline.right, outline.bottom});
  line({outline.left, outline.top + 1, outline.left + 1, outline.bottom - 1});
  line({outline.right - 1, outline.top + 1, outline.right, outline.bottom - 1});
}

void PaintContext::dotted_frame(const Rect& area, Pixel colour) {
  const Rect outline = scaled(area, scale_);
  const auto dot = [&](int x, int y) {
    if (device_clip_.contains({x, y}) && ((x + y) & 1) == 0) {
      *device_pixel(x, y) = colour;
    }
  };
  for (int x = outline.left; x < outline.right; ++x) {
    dot(x, outline.top);
    dot(x, outline.bottom - 1);
  }
  for (int y = outline.top; y < outline.bottom; ++y) {
    dot(outline.left, y);
    dot(outline.right - 1, y);
  }
}

namespace {

// One row of blue-green-red pixels. Each pixel is read as four bytes
// and masked, which the compiler turns into wide loads; the row's last pixel is read bytewise,
// as its fourth byte may lie past the end of the store.
void convert_row_24(const std::uint8_t* source, Pixel* target, int count) {
  for (int x = 0; x + 1 < count; ++x, source += 3) {
    std::uint32_t value = 0;
    std::memcpy(&value, source, 4);
    target[x] = Pixel{value & 0xFFFFFF};
  }
  if (count > 0) {
    target[count - 1] = rgb(source[2], source[1], source[0]);
  }
}

// A row of 32-bit pixels laid over what is there by their alpha bytes.
void blend_row_32(const std::uint8_t* source, Pixel* target, int count) {
  for (int x = 0; x < count; ++x, source += 4) {
    const Pixel colour = rgb(source[2], source[1], source[0]);
    target[x] = blend(colour, target[x], source[3]);
  }
}

}  // namespace

void PaintContext::draw_bitmap(const Bitmap& bitmap, Point at) {
  if (scale_ != 1) {
    draw_magnified(bitmap, at);
    return;
  }
  const Rect cut = Rect::at(at, {bitmap.width(), bitmap.height()}).intersected(clip_);
  const int pixel_size = bitmap.pixel_size();
  for (int y = cut.top; y < cut.bottom; ++y) {
    const std::uint8_t* source = bitmap.row(y - at.y) + static_cast<std::ptrdiff_t>(cut.left - at.x) * pixel_size;
    if (pixel_size == 3) {
      convert_row_24(source, device_pixel(cut.left, y), cut.width());
    } else {
      blend_row_32(source, device_pixel(cut.left, y), cut.width());
    }
  }
}

void PaintContext::draw_device_bitmap(const Bitmap& bitmap, Point at) {
  const Point origin{at.x * scale_, at.y * scale_};
  const Rect cut = Rect::at(origin, {bitmap.width(), bitmap.height()}).intersected(device_clip_);
  for (int y = cut.top; y < cut.bottom; ++y) {
    const std::uint8_t* source = bitmap.row(y - origin.y) + static_cast<std::ptrdiff_t>(cut.left - origin.x) * 3;
    convert_row_24(source, device_pixel(cut.left, y), cut.width());
  }
}

// Each bitmap row is converted once into a row of device pixels, each of its pixels repeated
// across its block, and that row copied to the block's other rows. With an alpha channel every
// device pixel is blended with what lies under it.
void PaintContext::draw_magnified(const Bitmap& bitmap, Point at) {
  const Rect image = scaled(Rect::at(at, {bitmap.width(), bitmap.height()}), scale_);
  const Rect cut = image.intersected(device_clip_);
  if (cut.empty()) {
    return;
  }
  const int pixel_size = bitmap.pixel_size();
  const int first_column = (cut.left - image.left) / scale_;
  const int columns = (cut.right - 1 - image.left) / scale_ - first_column + 1;
  std::vector<Pixel> source_row(static_cast<std::size_t>(columns));
  std::vector<std::uint8_t> alpha(static_cast<std::size_t>(columns));
  for (int y = cut.top; y < cut.bottom;) {
    const int source_y = (y - image.top) / scale_;
    const int block_end = std::min(cut.bottom, image.top + (source_y + 1) * scale_);
    const std::uint8_t* source = bitmap.row(source_y) + static_cast<std::ptrdiff_t>(first_column) * pixel_size;
    if (pixel_size == 3) {
      convert_row_24(source, source_row.data(), columns);
    } else {
      for (int column = 0; column < columns; ++column, source += 4) {
        source_row[column] = rgb(source[2], source[1], source[0]);
        alpha[column] = source[3];
      }
    }
    for (int row = y; row < block_end; ++row) {
      Pixel* target = device_pixel(cut.left, row);
      if (pixel_size == 3 && row > y) {
        std::memcpy(target, device_pixel(cut.left, y), static_cast<std::size_t>(cut.width()) * sizeof(Pixel));
        continue;
      }
      for (int x = cut.left; x < cut.right;) {
        const int column = (x - image.left) / scale_;
        const int run_end = std::min(cut.right, image.left + (column + 1) * scale_);
        const Pixel colour = source_row[column - first_column];
        if (pixel_size == 3) {
          std::fill(target + (x - cut.left), target + (run_end - cut.left), colour);
        } else {
          for (int device_x = x; device_x < run_end; ++device_x) {
            target[device_x - cut.left] = blend(colour, target[device_x - cut.left], alpha[column - first_column]);
          }
        }
        x = run_end;
      }
    }
    y = block_end;
  }
}

void PaintContext::draw_text(FontHandle font, std::string_view text, const Rect& box, Pixel colour) {
  const auto extent = measure_text(font, text);
  if (!extent) {
    return;
  }
  const Rect device_box = scaled(box, scale_);
  const int x = device_box.left + (device_box.width() - extent->width) / 2;
  const int y = device_box.top + (device_box.height() - extent->height) / 2;
  const Rect cut = device_box.intersected(device_clip_);
  trace_text(font, text, x, y, [&](int px, int py, std::uint8_t coverage) {
    if (!cut.contains({px, py})) {
      return;
    }
    Pixel* target = device_pixel(px, py);
    *target = blend(colour, *target, coverage);
  });
}

}  // namespace platform
