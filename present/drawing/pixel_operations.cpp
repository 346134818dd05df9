#include "present/drawing/pixel_operations.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "present/drawing/line_cut.h"

namespace present {
namespace {

// The session's blend table, made again only when its colours are not those it was made for.
const TextBlend& text_blend(const DrawingSession& session) {
  TextBlend& blend = *session.text_blend;
  if (!blend.valid || blend.front != session.front_cache || blend.back != session.back_cache) {
    const auto pixel_of = [](const ColourComponents& colour) {
      return platform::rgb(static_cast<std::uint32_t>(colour.red), static_cast<std::uint32_t>(colour.green),
                           static_cast<std::uint32_t>(colour.blue));
    };
    const platform::Pixel front = pixel_of(session.front);
    const platform::Pixel back = pixel_of(session.back);
    for (std::uint32_t sum = 0; sum < blend.by_sum.size(); ++sum) {
      blend.by_sum[sum] = platform::blend(front, back, sum / 3);
    }
    blend.front = session.front_cache;
    blend.back = session.back_cache;
    blend.valid = true;
  }
  return blend;
}

// A colour as the bytes it is stored as. Held by value, so that writing pixels (which may alias
// anything) does not make the compiler fetch the colour again for every pixel.
struct PixelBytes {
  std::uint8_t blue;
  std::uint8_t green;
  std::uint8_t red;

  explicit PixelBytes(const ColourComponents& colour)
      : blue(static_cast<std::uint8_t>(colour.blue)),
        green(static_cast<std::uint8_t>(colour.green)),
        red(static_cast<std::uint8_t>(colour.red)) {}
};

template <int PixelSize>
struct PixelOperations {
  static void put(std::uint8_t* pixel, PixelBytes colour) {
    pixel[0] = colour.blue;
    pixel[1] = colour.green;
    pixel[2] = colour.red;
  }

  static void fill_span(std::uint8_t* start, std::int64_t count, PixelBytes colour) {
    for (std::uint8_t* pixel = start; count > 0; --count, pixel += PixelSize) {
      put(pixel, colour);
    }
  }

  // Fills a rectangle of positive size, cut to the image. Boxes and horizontal and vertical
  // lines all come here.
  static void fill_rect(DrawingSession& session, std::int64_t x, std::int64_t y, std::int64_t width,
                        std::int64_t height) {
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
    const PixelBytes colour(session.front);
    const auto stride = static_cast<std::ptrdiff_t>(session.stride);
    const auto row_bytes = static_cast<std::size_t>(width) * PixelSize;
    std::uint8_t* first_row = session.row(static_cast<int>(y)) + x * PixelSize;
    fill_span(first_row, width, colour);
    // A row further down is a stride lower in the bottom-up store. Wide rows are copies of the
    // first; narrow ones, such as a vertical line's, are quicker written directly. A 4-byte
    // pixel keeps its own alpha byte, so its rows are always written.
    const bool copy_rows = PixelSize == 3 && width >= 8;
    std::uint8_t* target = first_row;
    for (std::int64_t row = 1; row < height; ++row) {
      target -= stride;
      if (copy_rows) {
        std::memcpy(target, first_row, row_bytes);
      } else {
        fill_span(target, width, colour);
      }
    }
  }

  // A negative width or height moves the box to the other side of its corner.
  static void fill_box(DrawingSession& session, int x, int y, int width, int height) {
    fill_rect(session, width < 0 ? std::int64_t{x} + width : x, height < 0 ? std::int64_t{y} + height : y,
              std::llabs(width), std::llabs(height));
  }

  // Steps along the major axis from the line's left end (x-major) or upper end (y-major); on a
  // tie of the decision value the step is diagonal. The pixel address moves with the steps: a row
  // further down is a stride lower in the bottom-up store.
  static void step_line(DrawingSession& session, const LineEnds& line) {
    const std::int64_t span_x = std::llabs(line.x2 - line.x1);
    const std::int64_t span_y = std::llabs(line.y2 - line.y1);
    const auto stride = static_cast<std::ptrdiff_t>(session.stride);
    const PixelBytes colour(session.front);
    const bool x_major = span_y <= span_x;
    // The start is the left end for x-major lines, the upper end for y-major ones.
    const bool first_starts = x_major ? line.x1 <= line.x2 : line.y1 <= line.y2;
    const std::int64_t start_x = first_starts ? line.x1 : line.x2;
    const std::int64_t start_y = first_starts ? line.y1 : line.y2;
    const std::int64_t stop_x = first_starts ? line.x2 : line.x1;
    const std::int64_t stop_y = first_starts ? line.y2 : line.y1;
    std::uint8_t* pixel = session.row(static_cast<int>(start_y)) + start_x * PixelSize;
    put(pixel, colour);
    if (x_major) {
      const std::ptrdiff_t y_step = stop_y > start_y ? -stride : stride;
      std::int64_t decision = 2 * span_y - span_x;
      for (std::int64_t step = 0; step < span_x; ++step) {
        pixel += PixelSize;
        if (decision < 0) {
          decision += 2 * span_y;
        } else {
          pixel += y_step;
          decision += 2 * (span_y - span_x);
        }
        put(pixel, colour);
      }
    } else {
      const std::ptrdiff_t x_step = stop_x > start_x ? PixelSize : -PixelSize;
      if (span_x == 1) {
        // Between neighbouring columns the steps below come to two runs: the upper end's column
        // takes the first ceil(k / 2) of the k + 1 rows, the other column the rest.
        const std::int64_t upper_rows = (span_y + 1) / 2;
        for (std::int64_t row = 1; row < upper_rows; ++row) {
          pixel -= stride;
          put(pixel, colour);
        }
        pixel += x_step;
        for (std::int64_t row = upper_rows; row <= span_y; ++row) {
          pixel -= stride;
          put(pixel, colour);
        }
        return;
      }
      std::int64_t decision = 2 * span_x - span_y;
      const std::int64_t straight = 2 * span_x;
      const std::int64_t diagonal = 2 * (span_x - span_y);
      for (std::int64_t step = 0; step < span_y; ++step) {
        // Chosen without a branch: which way a step goes changes once or twice a trace segment,
        // and a mispredicted branch there costs more than the step itself.
        const bool sideways = decision >= 0;
        pixel += (sideways ? x_step : 0) - stride;
        decision += sideways ? diagonal : straight;
        put(pixel, colour);
      }
    }
  }

  static void draw_line(DrawingSession& session, int x1, int y1, int x2, int y2) {
    if (y1 == y2) {
      fill_rect(session, std::min(x1, x2), y1, std::llabs(std::int64_t{x2} - x1) + 1, 1);
    } else if (x1 == x2) {
      fill_rect(session, x1, std::min(y1, y2), 1, std::llabs(std::int64_t{y2} - y1) + 1);
    } else if (inside(session, x1, y1) && inside(session, x2, y2)) {
      step_line(session, {x1, y1, x2, y2});
    } else if (const auto cut = cut_line({x1, y1, x2, y2}, session.width, session.height)) {
      step_line(session, *cut);
    }
  }

  static bool inside(const DrawingSession& session, int x, int y) {
    return x >= 0 && y >= 0 && x < session.width && y < session.height;
  }

  static void plot_pixel(DrawingSession& session, int x, int y, Colour colour) {
    if (inside(session, x, y)) {
      put(session.row(y) + static_cast<std::size_t>(x) * PixelSize, PixelBytes(unpack_colour(colour)));
    }
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
    const TextBlend& blend = text_blend(session);
    const std::int64_t first_column = std::max<std::int64_t>(0, -std::int64_t{x});
    for (std::int64_t row = std::max<std::int64_t>(0, -std::int64_t{y}); row < height; ++row) {
      const std::uint8_t* cell = buffer->row(static_cast<int>(row)) + 3 * first_column;
      std::uint8_t* pixel = session.row(static_cast<int>(y + row)) + (x + first_column) * PixelSize;
      for (std::int64_t column = first_column; column < width; ++column, cell += 3, pixel += PixelSize) {
        const platform::Pixel blended = blend.by_sum[cell[0] + cell[1] + cell[2]];
        // A 3-byte pixel that is not the row's last takes one store of four bytes: the fourth
        // lands on the next pixel, which is written next.
        std::memcpy(pixel, &blended, PixelSize == 3 && column + 1 < width ? 4 : 3);
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
