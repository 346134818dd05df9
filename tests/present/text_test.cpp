#include "present/drawing/text.h"

#include <gtest/gtest.h>

#include <climits>

#include "canvas_fixture.h"
#include "platform/graphics/graphics_state.h"
#include "present/fonts.h"
#include "present/drawing/primitives.h"

namespace present {
namespace {

constexpr Colour label = make_rgb(200, 200, 200);
constexpr Colour trace = make_rgb(100, 100, 150);
constexpr Colour red = make_rgb(255, 0, 0);

class TextTest : public CanvasFixture {
 protected:
  void SetUp() override {
    platform::set_display_dpi(96);
    CanvasFixture::SetUp();
    label_font = load_font(assign_number, "Arial", 8);
    ASSERT_NE(font_handle(label_font), 0);
    set_drawing_font(font_handle(label_font));
  }

  platform::TextExtent extent(std::string_view text) const {
    return *platform::measure_text(font_handle(label_font), text);
  }

  // True when the pixel lies on the line from black to the label colour.
  bool on_label_line(int x, int y) const {
    const Colour value = pixel(x, y);
    const int r = value & 0xFF;
    return r <= 200 && value == make_rgb(r, r, r);
  }

  std::intptr_t label_font = 0;
};

TEST(LoadFont, HeightFollowsPointsAndDotsPerInchAndFlagsSetTheStyle) {
  start_presentation();
  for (const auto& [dpi, height] : {std::pair{96, -11}, {120, -13}, {144, -16}}) {
    platform::set_display_dpi(dpi);
    const std::intptr_t number = load_font(assign_number, "Arial", 8);
    ASSERT_NE(number, 0);
    EXPECT_EQ(platform::font_request(font_handle(number))->height, height) << dpi;
  }
  platform::set_display_dpi(96);

  const std::intptr_t handle = load_font(3, "Arial", 12, font_bold | font_italic | font_underline | font_strike_out);
  ASSERT_NE(handle, 0);
  EXPECT_EQ(font_handle(3), handle);
  const platform::FontRequest* styled = platform::font_request(handle);
  EXPECT_EQ(styled->face, "Arial");
  EXPECT_EQ(styled->weight, 700);
  EXPECT_TRUE(styled->italic && styled->underline && styled->strike_out);
  EXPECT_EQ(styled->quality, 0);
  EXPECT_EQ(platform::font_request(load_font(4, "Arial", 8, font_proof_quality))->quality, 2);

  // Reusing a number deletes the old font; ending the layer deletes the rest.
  load_font(3, "Arial", 9);
  EXPECT_EQ(platform::font_request(handle), nullptr);
  const platform::FontHandle last = font_handle(3);
  end_presentation();
  EXPECT_EQ(platform::font_request(last), nullptr);
  EXPECT_EQ(font_handle(3), 0);
  EXPECT_EQ(load_font(0, "Arial", 8), 0);
}

TEST(MulDiv, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(mul_div(8, 96, 72), 11);
  EXPECT_EQ(mul_div(3, 1, 2), 2);
  EXPECT_EQ(mul_div(-3, 1, 2), -2);
  EXPECT_EQ(mul_div(5, 1, 3), 2);
  EXPECT_EQ(mul_div(1, 1, 0), -1);
  EXPECT_EQ(mul_div(INT_MAX, INT_MAX, 1), -1);
}

TEST_F(TextTest, TheBufferIsTheImageWideAndFiftyRowsHigh) {
  const TextDevice& device = *current_session()->text_device;
  const platform::Bitmap* buffer = platform::find_bitmap(device.buffer);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(buffer->width(), 1024);
  EXPECT_EQ(buffer->height(), 50);
  EXPECT_TRUE(buffer->top_down());
  EXPECT_EQ(device.font, font_handle(label_font));
  EXPECT_EQ(device.overhang, 0);

  // A taller font makes a taller buffer; selecting nothing keeps the font.
  const std::intptr_t big = load_font(assign_number, "Arial", 40);
  set_drawing_font(font_handle(big));
  EXPECT_GT(current_session()->text_device->buffer_height, 50);
  set_drawing_font(0);
  set_drawing_font(123456789);
  EXPECT_EQ(current_session()->text_device->font, font_handle(big));
}

TEST_F(TextTest, TheBlendMixesFrontAndBackByTheMeanOfTheBufferBytes) {
  DrawingSession& session = *current_session();
  platform::Bitmap& buffer = *platform::find_bitmap(session.text_device->buffer);
  const std::uint8_t cells[][3] = {{128, 128, 128}, {255, 0, 0}, {0, 0, 0}, {255, 255, 255}, {100, 200, 84}};
  for (int i = 0; i < 5; ++i) {
    std::copy_n(cells[i], 3, buffer.row(0) + 3 * i);
  }
  use_front_colour(session, label);
  session.operations->blend_text(session, 20, 30, 5, 1);
  EXPECT_EQ(pixel(20, 30), make_rgb(100, 100, 100));
  EXPECT_EQ(pixel(21, 30), make_rgb(66, 66, 66));
  EXPECT_EQ(pixel(22, 30), make_rgb(0, 0, 0));
  EXPECT_EQ(pixel(23, 30), label);
  EXPECT_EQ(pixel(24, 30), make_rgb(100, 100, 100));

  // Over a red back colour: (255 x 127 + 200 x 128) / 255.
  session.back_colour = red;
  draw_text(0, 0, "", label);
  session.operations->blend_text(session, 20, 31, 1, 1);
  EXPECT_EQ(pixel(20, 31), make_rgb((255 * 127 + 200 * 128) / 255, 100, 100));
}

TEST_F(TextTest, ALabelPaintsItsWholeCellOnTheLineFromBlackToItsColourAndNothingElse) {
  fill_box(0, 0, 1024, 300, make_rgb(0, 0, 0));
  draw_line(10, 0, 10, 299, trace);
  const platform::TextExtent cell = extent("300h");
  ASSERT_GT(cell.width, 10);
  const int right = draw_text(5, 280, "300h", label);
  EXPECT_EQ(right, 5 + cell.width);

  int lit = 0;
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 1024; ++x) {
      const bool in_cell = x >= 5 && x < 5 + cell.width && y >= 280 && y < 280 + cell.height;
      if (in_cell) {
        ASSERT_TRUE(on_label_line(x, y)) << x << "," << y;
        lit += pixel(x, y) != 0;
      } else if (x == 10) {
        ASSERT_EQ(pixel(x, y), trace) << y;
      } else {
        ASSERT_EQ(pixel(x, y), 0u) << x << "," << y;
      }
    }
  }
  EXPECT_GT(lit, 20);
}

TEST_F(TextTest, TextsAreCutAtTheImageEdgesAndKeepTheirColumns) {
  const platform::TextExtent cell = extent("Tablescope");
  draw_text(0, 100, "Tablescope", label);
  EXPECT_EQ(draw_text(-10, 150, "Tablescope", label), -10 + cell.width);
  for (int x = 0; x + 10 < cell.width; ++x) {
    for (int row = 0; row < cell.height; ++row) {
      ASSERT_EQ(pixel(x, 150 + row), pixel(x + 10, 100 + row)) << x << "," << row;
    }
  }

  EXPECT_EQ(draw_text(1000, 295, "Tablescope", label), 1000 + cell.width);
  EXPECT_EQ(draw_text(10, -5, "Tablescope", label), 10 + cell.width);
  EXPECT_EQ(draw_text(INT_MAX, INT_MAX, "Tablescope", label), INT_MAX);
  EXPECT_EQ(draw_text(INT_MIN, INT_MIN, "Tablescope", label), INT_MIN + cell.width);
  EXPECT_EQ(draw_text(-100000, 10, "Tablescope", label), -100000 + cell.width);
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 1024; ++x) {
      ASSERT_TRUE(on_label_line(x, y));
    }
  }

  EXPECT_EQ(draw_text(7, 9, "", red), 7);
  EXPECT_TRUE(pixels_of(red).empty());
}

TEST_F(TextTest, PlottingAPixelDoesNotChangeTheTextColour) {
  draw_text(5, 5, "300h", label);
  plot_pixel(500, 100, red);
  draw_text(5, 50, "300h", label);
  const platform::TextExtent cell = extent("300h");
  for (int y = 50; y < 50 + cell.height; ++y) {
    for (int x = 5; x < 5 + cell.width; ++x) {
      ASSERT_TRUE(on_label_line(x, y));
      ASSERT_EQ(pixel(x, y), pixel(x, y - 45));
    }
  }
}

TEST_F(TextTest, AnItalicFontWidensItsCellByItsOverhang) {
  const std::intptr_t italic = load_font(assign_number, "Arial", 20, font_italic);
  set_drawing_font(font_handle(italic));
  const int overhang = current_session()->text_device->overhang;
  EXPECT_GT(overhang, 0);
  const platform::TextExtent advance = *platform::measure_text(font_handle(italic), "fH");
  EXPECT_EQ(draw_text(20, 20, "fH", label), 20 + advance.width + overhang);
}

TEST_F(TextTest, ASecondSessionStartsFromTheDefaults) {
  // The first session leaves a tall font, a tall buffer, and a text drawn in red on a red back.
  const std::intptr_t big = load_font(assign_number, "Arial", 40);
  set_drawing_font(font_handle(big));
  ASSERT_GT(current_session()->text_device->buffer_height, 50);
  current_session()->back_colour = red;
  draw_text(0, 0, "H", red);
  stop_drawing();

  DrawingSession* second = image_output(0);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->front_cache, 0u);
  EXPECT_EQ(second->back_cache, 0u);
  EXPECT_EQ(second->back_colour, 0xFF000000u);
  for (const ColourComponents& components : {second->front, second->back}) {
    EXPECT_EQ(components.red + components.green + components.blue + components.alpha, 0);
    EXPECT_EQ(components.inverse_alpha, 255);
  }
  ASSERT_TRUE(start_drawing(second));
  // A text drawn before any font is chosen is in the stock font, in a buffer of 50 rows.
  EXPECT_GT(draw_text(0, 200, "H", label), 0);
  EXPECT_EQ(second->text_device->font, platform::stock_font(platform::StockFont::System));
  EXPECT_EQ(second->text_device->buffer_height, 50);
  const platform::Bitmap* buffer = platform::find_bitmap(second->text_device->buffer);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(buffer->height(), 50);

  // A label drawn now is on black in its own colour, whatever the last session's colours were.
  fill_box(0, 0, 1024, 300, make_rgb(0, 0, 0));
  set_drawing_font(font_handle(label_font));
  const platform::TextExtent cell = extent("300h");
  EXPECT_EQ(draw_text(5, 100, "300h", label), 5 + cell.width);
  int lit = 0;
  for (int y = 100; y < 100 + cell.height; ++y) {
    for (int x = 5; x < 5 + cell.width; ++x) {
      ASSERT_TRUE(on_label_line(x, y)) << x << "," << y;
      lit += pixel(x, y) != 0;
    }
  }
  EXPECT_GT(lit, 5);
}

TEST_F(TextTest, BeginningTheSessionAgainLeavesNoTextBufferBehind) {
  const platform::BitmapHandle first = current_session()->text_device->buffer;
  ASSERT_NE(platform::find_bitmap(first), nullptr);
  ASSERT_TRUE(start_drawing(current_session()));
  set_drawing_font(font_handle(label_font));
  const platform::BitmapHandle second = current_session()->text_device->buffer;
  ASSERT_NE(platform::find_bitmap(second), nullptr);
  // The first buffer is either used again or gone.
  EXPECT_TRUE(second == first || platform::find_bitmap(first) == nullptr);
}

TEST(DrawText, WithoutASessionDrawsNothing) {
  EXPECT_EQ(draw_text(3, 4, "300h", label), 3);
  set_drawing_font(stock_system_font);
  EXPECT_EQ(current_session(), nullptr);
}

}  // namespace
}  // namespace present
