#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <set>
#include <utility>

#include "platform/graphics/bitmap.h"
#include "present/drawing/drawing_session.h"
#include "present/drawing/images.h"
#include "present/presentation.h"
#include "present/drawing/primitives.h"

namespace present {
namespace {

using Point = std::pair<std::int64_t, std::int64_t>;

// The line rules written out step by step, as plainly as they read: the horizontal and vertical
// cases, the cut of a sloped line first in x and then in y, and the stepping from its left
// (x-major) or upper (y-major) end.
struct LineModel {
  std::int64_t width;
  std::int64_t height;

  std::set<Point> points(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) const {
    std::set<Point> drawn;
    // The vertical rules are the horizontal ones with x and y exchanged.
    if (y1 == y2) {
      straight(x1, x2, y1, width, height, [&drawn](std::int64_t x, std::int64_t y) { drawn.emplace(x, y); });
      return drawn;
    }
    if (x1 == x2) {
      straight(y1, y2, x1, height, width, [&drawn](std::int64_t y, std::int64_t x) { drawn.emplace(x, y); });
      return drawn;
    }
    if (!cut(x1, y1, x2, y2, 0, width - 1) || !cut(y1, x1, y2, x2, 0, height - 1)) {
      return drawn;
    }
    step(x1, y1, x2, y2, drawn);
    return drawn;
  }

  // From the smaller a to the larger on line b, cut to 0..length - 1; nothing when b lies outside
  // 0..across - 1.
  template <typename Draw>
  static void straight(std::int64_t a1, std::int64_t a2, std::int64_t b, std::int64_t length, std::int64_t across,
                       Draw draw) {
    std::int64_t start = std::min(a1, a2);
    std::int64_t n = std::max(a1, a2) - start + 1;
    if (b < 0 || b >= across) {
      return;
    }
    if (start < 0) {
      n += start;
      start = 0;
    }
    if (start + n > length) {
      n = length - start;
    }
    for (std::int64_t i = 0; i < n; ++i) {
      draw(start + i, b);
    }
  }

  static std::int64_t moved(std::int64_t b, std::int64_t from, std::int64_t to, double slope) {
    return static_cast<std::int64_t>(std::trunc(static_cast<double>(b) + static_cast<double>(to - from) * slope));
  }

  // One axis: a is cut to lo..hi, b follows along the slope; the first matching case applies.
  static bool cut(std::int64_t& a1, std::int64_t& b1, std::int64_t& a2, std::int64_t& b2, std::int64_t lo,
                  std::int64_t hi) {
    if (a1 < lo && a2 < lo) {
      return false;
    }
    if (a1 > hi && a2 > hi) {
      return false;
    }
    if (a1 == a2) {
      return true;  // inside on this axis, and there is no slope to follow
    }
    const double s = static_cast<double>(b2 - b1) / static_cast<double>(a2 - a1);
    if (a1 < lo) {
      b1 = moved(b1, a1, lo, s);
      a1 = lo;
      if (a2 > hi) {
        b2 = moved(b2, a2, hi, s);
        a2 = hi;
      }
    } else if (a1 > hi) {
      b1 = moved(b1, a1, hi, s);
      a1 = hi;
      if (a2 < lo) {
        b2 = moved(b2, a2, lo, s);
        a2 = lo;
      }
    } else {
      if (a2 > hi) {
        b2 = moved(b2, a2, hi, s);
        a2 = hi;
      }
      if (a2 < lo) {
        b2 = moved(b2, a2, lo, s);
        a2 = lo;
      }
    }
    return true;
  }

  static void step(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, std::set<Point>& drawn) {
    // The y-major rules are the x-major ones with x and y exchanged.
    if (std::llabs(y2 - y1) <= std::llabs(x2 - x1)) {
      step_major(x1, y1, x2, y2, [&drawn](std::int64_t x, std::int64_t y) { drawn.emplace(x, y); });
    } else {
      step_major(y1, x1, y2, x2, [&drawn](std::int64_t y, std::int64_t x) { drawn.emplace(x, y); });
    }
  }

  // Along the major axis a from the end with the smaller a; b moves towards the other end.
  template <typename Draw>
  static void step_major(std::int64_t a1, std::int64_t b1, std::int64_t a2, std::int64_t b2, Draw draw) {
    const std::int64_t span_a = std::llabs(a2 - a1);
    const std::int64_t span_b = std::llabs(b2 - b1);
    const bool first = a1 <= a2;
    std::int64_t a = first ? a1 : a2;
    std::int64_t b = first ? b1 : b2;
    const std::int64_t stop_a = first ? a2 : a1;
    const std::int64_t other_b = first ? b2 : b1;
    const std::int64_t b_step = other_b > b ? 1 : -1;
    std::int64_t d = 2 * span_b - span_a;
    draw(a, b);
    while (a < stop_a) {
      ++a;
      if (d < 0) {
        d += 2 * span_b;
      } else {
        b += b_step;
        d += 2 * (span_b - span_a);
      }
      draw(a, b);
    }
  }
};

class LineModelTest : public ::testing::Test {
 protected:
  void SetUp() override { start_presentation(); }
  void TearDown() override { end_presentation(); }

  // The pixels of the image that are not black.
  static std::set<Point> lit(const platform::Bitmap& image) {
    std::set<Point> found;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const std::uint8_t* pixel = image.row(y) + 3 * x;
        if (pixel[0] != 0 || pixel[1] != 0 || pixel[2] != 0) {
          found.emplace(x, y);
        }
      }
    }
    return found;
  }
};

TEST_F(LineModelTest, RandomLinesAreCutAndSteppedAsTheRulesSay) {
  const struct {
    int width;
    int height;
    int reach;  // how far outside the image end points may lie
  } images[] = {{61, 37, 90}, {37, 61, 90}, {16, 9, 400}, {64, 40, 20000}};
  std::mt19937 random(20261207);
  int lines = 0;
  for (const auto& image : images) {
    ASSERT_NE(create_image(0, image.width, image.height), 0);
    ASSERT_TRUE(start_drawing(image_output(0)));
    const platform::Bitmap& canvas = *platform::find_bitmap(image_handle(0));
    const LineModel model{image.width, image.height};
    std::uniform_int_distribution<int> x_of(-image.reach, image.width + image.reach);
    std::uniform_int_distribution<int> y_of(-image.reach, image.height + image.reach);
    for (int i = 0; i < 6000; ++i, ++lines) {
      const int x1 = x_of(random);
      const int y1 = y_of(random);
      // Now and then a horizontal, vertical or single-pixel line.
      const int x2 = i % 17 == 0 ? x1 : x_of(random);
      const int y2 = i % 13 == 0 ? y1 : y_of(random);
      fill_box(0, 0, image.width, image.height, make_rgb(0, 0, 0));
      draw_line(x1, y1, x2, y2, make_rgb(255, 255, 255));
      const std::set<Point> expected = model.points(x1, y1, x2, y2);
      ASSERT_EQ(lit(canvas), expected) << "line " << lines << " from (" << x1 << ", " << y1 << ") to (" << x2
                                       << ", " << y2 << ") on " << image.width << " x " << image.height;
    }
    stop_drawing();
  }
}

TEST_F(LineModelTest, TheModelAgreesWithTheWorkedExamples) {
  const LineModel page{1024, 300};
  const auto column = [](std::int64_t x, std::int64_t top, std::int64_t bottom) {
    std::set<Point> points;
    for (std::int64_t y = top; y <= bottom; ++y) {
      points.emplace(x, y);
    }
    return points;
  };
  std::set<Point> steep = column(0, 20, 24);
  const std::set<Point> lower = column(1, 25, 30);
  steep.insert(lower.begin(), lower.end());
  EXPECT_EQ(page.points(0, 20, 1, 30), steep);
  EXPECT_EQ(page.points(1, 8, 5, 10), (std::set<Point>{{1, 8}, {2, 9}, {3, 9}, {4, 10}, {5, 10}}));
  EXPECT_EQ(page.points(5, 10, 1, 8), (std::set<Point>{{1, 8}, {2, 9}, {3, 9}, {4, 10}, {5, 10}}));
  EXPECT_EQ(page.points(128, 0, 128, 350), column(128, 0, 299));
  EXPECT_EQ(page.points(-9, 0, -1, 20), std::set<Point>{});
  const std::set<Point> cut = page.points(-10, 0, 10, 20);
  EXPECT_EQ(*cut.begin(), (Point{0, 10}));
  EXPECT_EQ(*cut.rbegin(), (Point{10, 20}));
  EXPECT_EQ(cut.size(), 11u);
}

}  // namespace
}  // namespace present
