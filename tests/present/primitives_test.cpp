#include "present/drawing/primitives.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "canvas_fixture.h"

namespace present {
namespace {

constexpr Colour white = make_rgb(255, 255, 255);
constexpr Colour grey = make_rgb(100, 100, 100);
constexpr Colour trace = make_rgb(100, 100, 150);
constexpr Colour red = make_rgb(255, 0, 0);

class PrimitivesTest : public CanvasFixture {};

TEST_F(PrimitivesTest, FillBoxFillsTheCanvasAndCutsOrFlipsItsBox) {
  fill_box(0, 0, 1024, 300, white);
  EXPECT_EQ(pixels_of(white).size(), 1024u * 300u);
  fill_box(0, 0, 1024, 300, 0);
  EXPECT_EQ(pixels_of(0).size(), 1024u * 300u);

  fill_box(10, 0, -3, 1, white);
  EXPECT_EQ(pixels_of(white), (Points{{7, 0}, {8, 0}, {9, 0}}));
  fill_box(0, 0, 1024, 300, 0);

  fill_box(-5, -5, 10, 10, white);
  Points corner;
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) {
      corner.emplace(x, y);
    }
  }
  EXPECT_EQ(pixels_of(white), corner);

  fill_box(1020, 298, 100, 100, grey);
  EXPECT_EQ(pixels_of(grey), (Points{{1020, 298}, {1021, 298}, {1022, 298}, {1023, 298},
                                     {1020, 299}, {1021, 299}, {1022, 299}, {1023, 299}}));
  fill_box(5, 50, 1, -1, red);
  EXPECT_EQ(pixels_of(red), (Points{{5, 49}}));
}

TEST_F(PrimitivesTest, FillBoxSurvivesTheExtremesOfItsArguments) {
  fill_box(INT_MAX, INT_MAX, INT_MAX, INT_MAX, white);
  fill_box(INT_MIN, INT_MIN, INT_MIN, INT_MIN, white);
  fill_box(INT_MIN, INT_MIN, INT_MAX, INT_MAX, white);  // ends at x = -1
  EXPECT_EQ(pixels_of(white), Points{});
  // Flipped: from INT_MAX + INT_MIN = -1 to INT_MAX - 1, cut to the whole of row 0.
  fill_box(INT_MAX, 0, INT_MIN, 1, white);
  EXPECT_EQ(pixels_of(white).size(), 1024u);
  fill_box(-1000, -1000, INT_MAX, INT_MAX, grey);
  EXPECT_EQ(pixels_of(grey).size(), 1024u * 300u);
}

TEST_F(PrimitivesTest, HorizontalAndVerticalLinesIncludeBothEndsInEitherOrder) {
  draw_line(5, 7, 9, 7, white);
  const Points row_7{{5, 7}, {6, 7}, {7, 7}, {8, 7}, {9, 7}};
  EXPECT_EQ(pixels_of(white), row_7);
  draw_line(9, 7, 5, 7, grey);
  EXPECT_EQ(pixels_of(grey), row_7);

  draw_line(3, 3, 3, 3, red);
  EXPECT_EQ(pixels_of(red), (Points{{3, 3}}));

  draw_line(128, 0, 128, 350, trace);
  EXPECT_EQ(pixels_of(trace), column(128, 0, 299));
  draw_line(600, 350, 600, -20, white);
  EXPECT_EQ(pixels_of(white), column(600, 0, 299));
  draw_line(5000, 100, -30, 100, red);
  EXPECT_EQ(pixels_of(red).size(), 1u + 1024u);
  draw_line(-30, 100, -1, 100, grey);
  draw_line(1024, 100, 1030, 100, grey);
  draw_line(50, 300, 50, 400, grey);
  draw_line(50, -1, 50, -100, grey);
  EXPECT_EQ(pixels_of(grey), row_7);
}

TEST_F(PrimitivesTest, TraceSegmentsSplitTheirRowsBetweenTheTwoColumns) {
  draw_line(0, 20, 1, 30, white);
  EXPECT_EQ(pixels_of(white), joined(column(0, 20, 24), column(1, 25, 30)));
  fill_box(0, 0, 1024, 300, 0);

  draw_line(0, 30, 1, 20, white);
  EXPECT_EQ(pixels_of(white), joined(column(1, 20, 24), column(0, 25, 30)));
  fill_box(0, 0, 1024, 300, 0);

  draw_line(0, 20, 1, 276, white);
  EXPECT_EQ(pixels_of(white), joined(column(0, 20, 147), column(1, 148, 276)));
  EXPECT_EQ(pixels_of(white).size(), 257u);
  fill_box(0, 0, 1024, 300, 0);

  draw_line(0, 20, 1, 21, white);
  EXPECT_EQ(pixels_of(white), (Points{{0, 20}, {1, 21}}));
  fill_box(0, 0, 1024, 300, 0);

  // An odd difference of k rows gives ceil(k / 2) rows to the upper end's column.
  draw_line(40, 100, 41, 107, white);
  EXPECT_EQ(pixels_of(white), joined(column(40, 100, 103), column(41, 104, 107)));
}

TEST_F(PrimitivesTest, EveryRiseAndFallBetweenNeighbouringColumnsSplitsAtHalfItsRows) {
  for (int k = 1; k < 300; k += (k < 20 ? 1 : 37)) {
    const int upper_rows = (k + 1) / 2;
    for (const bool left_is_upper : {true, false}) {
      for (const bool from_left : {true, false}) {
        fill_box(500, 0, 2, 300, 0);
        const int left_y = left_is_upper ? 0 : k;
        const int right_y = left_is_upper ? k : 0;
        if (from_left) {
          draw_line(500, left_y, 501, right_y, white);
        } else {
          draw_line(501, right_y, 500, left_y, white);
        }
        const int upper_x = left_is_upper ? 500 : 501;
        const int lower_x = left_is_upper ? 501 : 500;
        ASSERT_EQ(pixels_of(white), joined(column(upper_x, 0, upper_rows - 1), column(lower_x, upper_rows, k)))
            << "k " << k << (left_is_upper ? ", left end upper" : ", right end upper")
            << (from_left ? ", drawn from the left" : ", drawn from the right");
      }
    }
  }
}

TEST_F(PrimitivesTest, ShallowAndSteepLinesGiveTheSamePixelsInEitherOrder) {
  const Points expected{{1, 8}, {2, 9}, {3, 9}, {4, 10}, {5, 10}};
  draw_line(1, 8, 5, 10, white);
  EXPECT_EQ(pixels_of(white), expected);
  draw_line(5, 10, 1, 8, grey);
  EXPECT_EQ(pixels_of(grey), expected);
  fill_box(0, 0, 1024, 300, 0);

  draw_line(10, 10, 13, 20, white);
  const Points steep = pixels_of(white);
  EXPECT_EQ(steep.size(), 11u);
  draw_line(13, 20, 10, 10, grey);
  EXPECT_EQ(pixels_of(grey), steep);
  fill_box(0, 0, 1024, 300, 0);

  // Equal spans count as x-major and step diagonally.
  draw_line(50, 60, 46, 64, white);
  EXPECT_EQ(pixels_of(white), (Points{{46, 64}, {47, 63}, {48, 62}, {49, 61}, {50, 60}}));
}

TEST_F(PrimitivesTest, SlopedLinesAreCutAtTheImageEdges) {
  draw_line(-10, 0, 10, 20, white);
  Points diagonal;
  for (int x = 0; x <= 10; ++x) {
    diagonal.emplace(x, x + 10);
  }
  EXPECT_EQ(pixels_of(white), diagonal);

  draw_line(-9, 0, -1, 20, grey);
  draw_line(1030, 0, 1040, 20, grey);
  draw_line(0, -20, 30, -1, grey);
  draw_line(0, 301, 30, 400, grey);
  EXPECT_EQ(pixels_of(grey), Points{});

  // A line crossing the whole canvas is cut at both ends and lands on the corners' edges.
  draw_line(-100, -100, 1200, 1200, red);
  const Points crossed = pixels_of(red);
  EXPECT_EQ(crossed.size(), 300u);
  EXPECT_TRUE(crossed.count({0, 0}));
  EXPECT_TRUE(crossed.count({299, 299}));
}

TEST_F(PrimitivesTest, LinesSurviveTheExtremesOfTheirArguments) {
  draw_line(INT_MIN, INT_MIN, INT_MAX, INT_MAX, white);
  draw_line(INT_MAX, INT_MIN, INT_MIN, INT_MAX, white);
  draw_line(INT_MIN, 5, INT_MAX, 5, white);
  draw_line(7, INT_MAX, 7, INT_MIN, white);
  draw_line(INT_MIN, 0, INT_MIN + 1, 299, white);
  const Points drawn = pixels_of(white);
  EXPECT_EQ(drawn.count({500, 5}), 1u);
  EXPECT_EQ(drawn.count({7, 150}), 1u);
  for (const auto& [x, y] : drawn) {
    ASSERT_TRUE(x >= 0 && x < 1024 && y >= 0 && y < 300);
  }
}

TEST_F(PrimitivesTest, PlotPixelWritesBlueGreenRedBottomUpAndIgnoresPointsOutside) {
  plot_pixel(1023, 276, red);
  const std::uint8_t* store = canvas().pixels();
  EXPECT_EQ(store[73725], 0x00);
  EXPECT_EQ(store[73726], 0x00);
  EXPECT_EQ(store[73727], 0xFF);
  EXPECT_EQ(pixel(1023, 276), red);

  plot_pixel(-1, 0, white);
  plot_pixel(0, -1, white);
  plot_pixel(1024, 0, white);
  plot_pixel(0, 300, white);
  plot_pixel(INT_MIN, INT_MAX, white);
  EXPECT_EQ(pixels_of(white), Points{});
}

TEST_F(PrimitivesTest, PlottingAPixelLeavesTheLineColourInForce) {
  draw_line(10, 10, 20, 10, trace);
  plot_pixel(15, 15, red);
  draw_line(10, 12, 20, 12, trace);
  EXPECT_EQ(pixels_of(trace).size(), 22u);
  EXPECT_EQ(pixels_of(red), (Points{{15, 15}}));
  EXPECT_EQ(current_session()->front_cache, trace);
}

TEST(FourBytePixels, PrimitivesWriteTheColourBytesAndLeaveEachPixelsAlpha) {
  start_presentation();
  ASSERT_NE(create_image(0, 16, 8, 32), 0);
  const platform::Bitmap& image = *platform::find_bitmap(image_handle(0));
  ASSERT_TRUE(start_drawing(image_output(0)));
  EXPECT_EQ(current_session()->pixel_size, 4);
  const auto bytes = [&image](int x, int y) {
    const std::uint8_t* pixel = image.row(y) + 4 * x;
    return std::vector<int>{pixel[0], pixel[1], pixel[2], pixel[3]};
  };
  fill_box(0, 0, 16, 8, make_rgb(1, 2, 3));
  draw_line(0, 0, 15, 7, make_rgb(10, 20, 30));
  draw_line(2, 7, 2, 0, make_rgb(40, 50, 60));
  plot_pixel(15, 0, make_rgb(255, 0, 0));
  EXPECT_EQ(bytes(5, 6), (std::vector<int>{3, 2, 1, 255}));
  EXPECT_EQ(bytes(0, 0), (std::vector<int>{30, 20, 10, 255}));
  EXPECT_EQ(bytes(15, 7), (std::vector<int>{30, 20, 10, 255}));
  EXPECT_EQ(bytes(2, 4), (std::vector<int>{60, 50, 40, 255}));
  EXPECT_EQ(bytes(15, 0), (std::vector<int>{0, 0, 255, 255}));
  end_presentation();
}

}  // namespace
}  // namespace present
