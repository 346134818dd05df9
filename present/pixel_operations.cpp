#include "present/pixel_operations.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "present/line_cut.h"

namespace present {
namespace {

template <int PixelSize>
struct PixelOperations {
  static void put(std::uint8_t* pixel, const ColourComponents& colour) {
    pixel[0] = static_cast<std::uint8_t>(colour.blue);
    pixel[1] = static_cast<std::uint8_t>(colour.green);
    pixel[2] = static_cast<std::uint8_t>(colour.red);
  }

  static void fill_span(std::uint8_t* start, std::int64_t count, const ColourComponents& colour) {
    for (std::uint8_t* pixel = start; count > 0; --count, pixel += PixelSize) {
      put(pixel, colour);
    }
  }

  static void fill_box(DrawingSession& session, int x_in, int y_in, int width_in, int height_in) {
    std::int64_t x = x_in;
    std::int64_t y = y_in;
    std::int64_t width = width_in;
    std::int64_t height = height_in;
    if (width < 0) {
      x += width;
      width = -width;
    }
    if (height < 0) {
      y += height;
      height = -height;
    }
    if (x < 0) {
      width += x;
      x = 0;
    }
    if (y < 0) {
      height += y;
      y = 0;
    }
    width = std::min(width, session.width - x);
    height = std::min(height, session.height - y);
    if (width <= 0 || height <= 0) {
      return;
    }
    const auto left = static_cast<std::size_t>(x) * PixelSize;
    std::uint8_t* first_row = session.row(static_cast<int>(y)) + left;
    fill_span(first_row, width, session.front);
    // Later rows are copies of the first; in a bottom-up store they lie below it in memory.
    const auto row_bytes = static_cast<std::size_t>(width) * PixelSize;
    for (std::int64_t row = 1; row < height; ++row) {
      std::uint8_t* target = session.row(static_cast<int>(y + row)) + left;
      if constexpr (PixelSize == 3) {
        std::memcpy(target, first_row, row_bytes);
      } else {
        // Keep every pixel's own alpha byte.
        fill_span(target, width, session.front);
      }
    }
  }

  static void draw_span(DrawingSession& session, std::int64_t y, std::int64_t x1, std::int64_t x2) {
    std::int64_t left = std::min(x1, x2);
    std::int64_t count = std::max(x1, x2) - left + 1;
    if (y < 0 || y >= session.height) {
      return;
    }
    if (left < 0) {
      count += left;
      left = 0;
    }
    count = std::min(count, session.width - left);
    if (count > 0) {
      fill_span(session.row(static_cast<int>(y)) + left * PixelSize, count, session.front);
    }
  }

  static void draw_column(DrawingSession& session, std::int64_t x, std::int64_t y1, std::int64_t y2) {
    std::int64_t top = std::min(y1, y2);
    std::int64_t count = std::max(y1, y2) - top + 1;
    if (x < 0 || x >= session.width) {
      return;
    }
    if (top < 0) {
      count += top;
      top = 0;
    }
    count = std::min(count, session.height - top);
    std::uint8_t* pixel = count > 0 ? session.row(static_cast<int>(top)) + x * PixelSize : nullptr;
    for (; count > 0; --count, pixel -= session.stride) {
      put(pixel, session.front);
    }
  }

  // Steps along the major axis from the line's left end (x-major) or upper end (y-major); on a
  // tie of the decision value the step is diagonal.
  static void step_line(DrawingSession& session, const LineEnds& line) {
    const std::int64_t span_x = std::llabs(line.x2 - line.x1);
    const std::int64_t span_y = std::llabs(line.y2 - line.y1);
    const auto plot = [&session](std::int64_t x, std::int64_t y) {
      put(session.row(static_cast<int>(y)) + x * PixelSize, session.front);
    };
    if (span_y <= span_x) {
      const bool forward = line.x1 <= line.x2;
      std::int64_t x = forward ? line.x1 : line.x2;
      std::int64_t y = forward ? line.y1 : line.y2;
      const std::int64_t stop_x = forward ? line.x2 : line.x1;
      const std::int64_t stop_y = forward ? line.y2 : line.y1;
      const std::int64_t y_step = stop_y > y ? 1 : -1;
      std::int64_t decision = 2 * span_y - span_x;
      plot(x, y);
      while (x < stop_x) {
        ++x;
        if (decision < 0) {
          decision += 2 * span_y;
        } else {
          y += y_step;
          decision += 2 * (span_y - span_x);
        }
        plot(x, y);
      }
    } else {
      const bool forward = line.y1 <= line.y2;
      std::int64_t x = forward ? line.x1 : line.x2;
      std::int64_t y = forward ? line.y1 : line.y2;
      const std::int64_t stop_x = forward ? line.x2 : line.x1;
      const std::int64_t stop_y = forward ? line.y2 : line.y1;
      const std::int64_t x_step = stop_x > x ? 1 : -1;
      std::int64_t decision = 2 * span_x - span_y;
      plot(x, y);
      while (y < stop_y) {
        ++y;
        if (decision < 0) {
          decision += 2 * span_x;
        } else {
          x += x_step;
          decision += 2 * (span_x - span_y);
        }
        plot(x, y);
      }
    }
  }

  static void draw_line(DrawingSession& session, int x1, int y1, int x2, int y2) {
    if (y1 == y2) {
      draw_span(session, y1, x1, x2);
    } else if (x1 == x2) {
      draw_column(session, x1, y1, y2);
    } else if (const auto cut = cut_line({x1, y1, x2, y2}, session.width, session.height)) {
      step_line(session, *cut);
    }
  }

  static void plot_pixel(DrawingSession& session, int x, int y, Colour colour) {
    if (x < 0 || y < 0 || x >= session.width || y >= session.height) {
      return;
    }
    put(session.row(y) + static_cast<std::size_t>(x) * PixelSize, unpack_colour(colour));
  }

  // Each image channel becomes (back x (255 - D) + front x D) / 255, D being the mean of the
  // buffer pixel's three bytes: white glyphs take the front colour, the black cell the back.
  static void blend_text(DrawingSession& session, int x, int y, int width_in, int height_in) {
    const platform::Bitmap* buffer = platform::find_bitmap(session.text_device->buffer);
    std::int64_t width = std::min<std::int64_t>(width_in, session.width - std::int64_t{x});
    std::int64_t height = std::min<std::int64_t>(height_in, session.height - std::int64_t{y});
    if (buffer == nullptr || width < 1 || x + width < 0 || y + height < 0 || x >= session.width ||
        y >= session.height) {
      return;
    }
    width = std::min<std::int64_t>(width, buffer->width());
    height = std::min<std::int64_t>(height, buffer->height());
    const ColourComponents& front = session.front;
    const ColourComponents& back = session.back;
    for (std::int64_t row = std::max<std::int64_t>(0, -std::int64_t{y}); row < height; ++row) {
      const std::uint8_t* source = buffer->row(static_cast<int>(row));
      std::uint8_t* target = session.row(static_cast<int>(y + row));
      for (std::int64_t column = std::max<std::int64_t>(0, -std::int64_t{x}); column < width; ++column) {
        const std::uint8_t* cell = source + 3 * column;
        const int lit = (cell[0] + cell[1] + cell[2]) / 3;
        const int unlit = 255 - lit;
        std::uint8_t* pixel = target + (x + column) * PixelSize;
        pixel[0] = static_cast<std::uint8_t>((back.blue * unlit + front.blue * lit) / 255);
        pixel[1] = static_cast<std::uint8_t>((back.green * unlit + front.green * lit) / 255);
        pixel[2] = static_cast<std::uint8_t>((back.red * unlit + front.red * lit) / 255);
      }
    }
  }

  static constexpr DrawingOperations operations{fill_box, draw_line, plot_pixel, blend_text};
};

}  // namespace

const DrawingOperations* operations_for_pixel_size(int pixel_size) {
  switch (pixel_size) {
    case 3:
      return &PixelOperations<3>::operations;
    case 4:
      return &PixelOperations<4>::operations;
    default:
      return nullptr;
  }
}

}  // namespace present
