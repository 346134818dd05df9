#include <gtest/gtest.h>

#include "platform/graphics/graphics_state.h"
#include "platform/graphics/glyphs.h"
#include "present/canvas_fixture.h"
#include "present/drawing/text.h"

namespace present {
namespace {

using SessionFontTest = CanvasFixture;

// A session begins with the system's stock font, made only once a text is drawn in it.
TEST_F(SessionFontTest, TextsDrawnBeforeAFontIsChosenUseTheSystemFont) {
  platform::set_display_dpi(96);
  const Colour white = make_rgb(255, 255, 255);
  const int end = draw_text(10, 20, "Hg", white);
  const platform::FontHandle system = platform::stock_font(platform::StockFont::System);
  const auto extent = platform::measure_text(system, "Hg");
  ASSERT_TRUE(extent);
  EXPECT_EQ(end, 10 + extent->width);
  EXPECT_EQ(platform::font_request(system)->weight, 700);

  // The same text with the font chosen outright: the same pixels, 100 rows lower.
  set_drawing_font(system);
  draw_text(10, 120, "Hg", white);
  int lit = 0;
  for (int y = 20; y < 20 + extent->height; ++y) {
    for (int x = 10; x < end; ++x) {
      ASSERT_EQ(pixel(x, y), pixel(x, y + 100)) << x << "," << y;
      lit += pixel(x, y) == white ? 1 : 0;
    }
  }
  EXPECT_GT(lit, 10);
}

}  // namespace
}  // namespace present
