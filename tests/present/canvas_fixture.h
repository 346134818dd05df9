#pragma once

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "platform/graphics/bitmap.h"
#include "present/drawing/colour.h"
#include "present/drawing/drawing_session.h"
#include "present/drawing/images.h"
#include "present/presentation.h"

namespace present {

using Point = std::pair<int, int>;
using Points = std::set<Point>;

// A started layer with the 1024 x 300 page canvas as image 0 and a drawing session begun on it.
class CanvasFixture : public ::testing::Test {
 protected:
  static constexpr int canvas_width = 1024;
  static constexpr int canvas_height = 300;

  void SetUp() override {
    start_presentation();
    ASSERT_NE(create_image(0, canvas_width, canvas_height), 0);
    ASSERT_TRUE(start_drawing(image_output(0)));
  }
  void TearDown() override { end_presentation(); }

  const platform::Bitmap& canvas() const { return *platform::find_bitmap(image_handle(0)); }

  // The pixel's colour as make_rgb would pack it, read straight from the store.
  Colour pixel(int x, int y) const {
    const std::uint8_t* bytes = canvas().row(y) + 3 * x;
    return make_rgb(bytes[2], bytes[1], bytes[0]);
  }

  Points pixels_of(Colour colour) const {
    Points found;
    for (int y = 0; y < canvas_height; ++y) {
      for (int x = 0; x < canvas_width; ++x) {
        if (pixel(x, y) == colour) {
          found.emplace(x, y);
        }
      }
    }
    return found;
  }

  static Points column(int x, int top, int bottom) {
    Points points;
    for (int y = top; y <= bottom; ++y) {
      points.emplace(x, y);
    }
    return points;
  }

  static Points joined(Points a, const Points& b) {
    a.insert(b.begin(), b.end());
    return a;
  }
};

}  // namespace present
