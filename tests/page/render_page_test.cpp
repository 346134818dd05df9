#include "page/render_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "page/labels.h"
#include "platform/graphics/graphics_state.h"
#include "present/drawing/colour.h"
#include "present/drawing/drawing_session.h"
#include "present/fonts.h"
#include "present/drawing/images.h"
#include "present/presentation.h"
#include "present/drawing/text.h"
#include "support/headless_viewer_window.h"
#include "wavedata/decode_waves.h"

namespace page {
namespace {

using present::Colour;
using present::make_rgb;

constexpr Colour black = make_rgb(0, 0, 0);
constexpr Colour grey = make_rgb(100, 100, 100);
constexpr Colour trace = make_rgb(100, 100, 150);
constexpr Colour red = make_rgb(255, 0, 0);

class RenderPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::set_display_dpi(96);
    present::start_presentation();
    ASSERT_NE(present::create_image(0, 1024, 300), 0);
    font = present::load_font(present::assign_number, "Arial", 8);
    ASSERT_NE(font, 0);
    wavedata::decode_waves(wavedata::eprom_image, *bank);
  }
  void TearDown() override { present::end_presentation(); }

  void render(int page) { render_page(*bank, page, font); }

  const platform::Bitmap& canvas() const { return *platform::find_bitmap(present::image_handle(0)); }

  Colour pixel(int x, int y, present::ObjectNumber image = 0) const {
    const std::uint8_t* bytes = platform::find_bitmap(present::image_handle(image))->row(y) + 3 * x;
    return make_rgb(bytes[2], bytes[1], bytes[0]);
  }

  std::vector<std::uint8_t> canvas_bytes() const {
    return {canvas().pixels(), canvas().pixels() + canvas().byte_size()};
  }

  int row_of(int page, int x) const { return bank->words[static_cast<std::size_t>(1024 * page + x)] + 20; }

  std::unique_ptr<wavedata::SampleBank> bank = std::make_unique<wavedata::SampleBank>();
  std::intptr_t font = 0;
};

TEST_F(RenderPageTest, TheFirstSegmentsOfTheInstrumentsFirstPage) {
  render(0);
  EXPECT_EQ(pixel(0, 151), red);
  for (int y = 152; y <= 166; ++y) EXPECT_EQ(pixel(0, y), trace) << y;
  EXPECT_EQ(pixel(0, 150), grey);  // the divider of column 0, above and below the trace
  EXPECT_EQ(pixel(0, 167), grey);
  for (int y = 167; y <= 181; ++y) EXPECT_EQ(pixel(1, y), trace) << y;
  EXPECT_EQ(pixel(1, 182), red);
  for (int y = 183; y <= 194; ++y) EXPECT_EQ(pixel(1, y), trace) << y;
  EXPECT_EQ(pixel(1, 166), black);
  EXPECT_EQ(pixel(1, 195), black);
  for (int y = 195; y <= 207; ++y) EXPECT_EQ(pixel(2, y), trace) << y;
  EXPECT_EQ(pixel(2, 208), red);
}

TEST_F(RenderPageTest, EveryPointIsRedAndTheDividersAreGreyWhereNothingCrossesThem) {
  for (const int page : {0, 13, 30}) {
    render(page);
    for (int x = 0; x < 1024; ++x) {
      ASSERT_EQ(pixel(x, row_of(page, x)), red) << "page " << page << " x " << x;
    }
    for (int column = 0; column < 8; ++column) {
      const int x = 128 * column;
      for (int y = 0; y < 300; ++y) {
        const Colour value = pixel(x, y);
        if (y < 20 || y > 276) {
          ASSERT_EQ(value, grey) << x << "," << y;
        } else {
          ASSERT_TRUE(value == grey || value == trace || value == red) << x << "," << y;
        }
      }
    }
  }
  EXPECT_EQ(pixel(1, 0), black);
  EXPECT_EQ(pixel(0, 0), grey);
  EXPECT_EQ(pixel(0, 299), grey);
  EXPECT_EQ(pixel(128, 299), grey);
}

TEST_F(RenderPageTest, TheEmptySlotsOfTheLastPageAreFlatRedLinesAtRowTwenty) {
  render(30);
  for (int x = 512; x < 1024; ++x) {
    ASSERT_EQ(pixel(x, 20), red) << x;
    ASSERT_NE(pixel(x, 19), trace) << x;
  }
  // Only the segment from wave 243's last point reaches below the flat line, in column 512.
  for (int x = 513; x < 1024; ++x) {
    ASSERT_NE(pixel(x, 21), trace) << x;
  }
}

TEST_F(RenderPageTest, AWaveOfMidValuesIsAFlatRedTraceAtRow148) {
  std::fill_n(bank->words.begin() + 1024 * 4 + 128 * 3, 128, std::int16_t{128});
  render(4);
  for (int x = 384; x < 512; ++x) {
    ASSERT_EQ(pixel(x, 148), red) << x;
  }
}

TEST_F(RenderPageTest, LabelsStayInTheirCellsOnTheLineFromBlackToTheirColour) {
  const platform::FontHandle handle = present::font_handle(font);
  for (const int page : {0, 30}) {
    render(page);
    for (int column = 0; column < 8; ++column) {
      const ColumnLabels labels = column_labels(page, column);
      const int left = 128 * column;
      const struct {
        const std::string& text;
        int x, y;
      } cells[] = {{labels.hex_offset, left + 5, 280}, {labels.decimal_offset, left + 80, 280},
                   {labels.wave_number, left + 100, 0}};
      for (const auto& cell : cells) {
        const platform::TextExtent extent = *platform::measure_text(handle, cell.text);
        // Clear of the dividers and of the trace's rows 20 to 276.
        ASSERT_LT(cell.x + extent.width, left + 128) << cell.text;
        ASSERT_TRUE(cell.y + extent.height <= 20 || cell.y > 276) << cell.text;
        int lit = 0;
        for (int y = cell.y; y < std::min(cell.y + extent.height, 300); ++y) {
          for (int x = cell.x; x < cell.x + extent.width; ++x) {
            const Colour value = pixel(x, y);
            const int level = static_cast<int>(value & 0xFF);
            ASSERT_TRUE(level <= 200 && value == make_rgb(level, level, level)) << cell.text << " " << x << "," << y;
            lit += level != 0;
          }
        }
        EXPECT_GT(lit, 5) << cell.text;
      }
    }
  }
}

// The three texts of a column, written out from their rules with the C library's formatting.
struct ExpectedLabel {
  std::string text;
  int x;
  int y;
};

std::vector<ExpectedLabel> expected_labels(int page) {
  std::vector<ExpectedLabel> labels;
  for (int column = 0; column < 8; ++column) {
    const int offset = 768 + 64 * column + 512 * page;
    const int left = 128 * column;
    char hex[16];
    char decimal[16];
    char number[16];
    std::snprintf(hex, sizeof hex, "%Xh", static_cast<unsigned>(offset));
    std::snprintf(decimal, sizeof decimal, "%dd", offset);
    std::snprintf(number, sizeof number, "%03d", 8 * page + column);
    labels.push_back({hex, left + 5, 280});
    labels.push_back({decimal, left + 80, 280});
    labels.push_back({number, left + 100, 0});
  }
  return labels;
}

TEST_F(RenderPageTest, EachLabelCellIsItsTextDrawnAtItsPoint) {
  const platform::TextExtent line = *platform::measure_text(present::font_handle(font), "0");
  for (const int page : {0, 13, 30}) {
    render(page);
    // The same texts drawn alone, each at its point, on a black scratch canvas.
    ASSERT_NE(present::create_image(1, 1024, 300), 0);
    ASSERT_TRUE(present::start_drawing(present::image_output(1)));
    present::set_drawing_font(present::font_handle(font));
    std::vector<int> rights;
    for (const ExpectedLabel& label : expected_labels(page)) {
      rights.push_back(present::draw_text(label.x, label.y, label.text, make_rgb(200, 200, 200)));
    }
    present::stop_drawing();

    const std::vector<ExpectedLabel> labels = expected_labels(page);
    for (std::size_t i = 0; i < labels.size(); ++i) {
      const ExpectedLabel& label = labels[i];
      ASSERT_GT(rights[i], label.x + 5) << label.text;
      int lit = 0;
      for (int y = label.y; y < std::min(label.y + line.height, 300); ++y) {
        for (int x = label.x; x < rights[i]; ++x) {
          ASSERT_EQ(pixel(x, y), pixel(x, y, 1)) << "page " << page << " " << label.text << " at " << x << "," << y;
          lit += pixel(x, y) != make_rgb(0, 0, 0);
        }
      }
      EXPECT_GT(lit, 3) << label.text;
    }
  }
}

TEST_F(RenderPageTest, EveryPageIsDrawnWholeFromNothing) {
  render(7);
  const auto first = canvas_bytes();
  render(7);
  EXPECT_EQ(canvas_bytes(), first);

  render(5);
  const auto five = canvas_bytes();
  render(6);
  EXPECT_NE(canvas_bytes(), five);
  render(5);
  EXPECT_EQ(canvas_bytes(), five);

  render(31);
  render(-1);
  EXPECT_EQ(canvas_bytes(), five);
}

class RenderPageWindowTest : public present::HeadlessWindowFixture {};

TEST_F(RenderPageWindowTest, ThePageIsShownInThePictureAtOnce) {
  open_viewer_window();
  drain();
  auto bank = std::make_unique<wavedata::SampleBank>();
  wavedata::decode_waves(wavedata::eprom_image, *bank);
  const std::intptr_t font = present::load_font(present::assign_number, "Arial", 8);
  render_page(*bank, 0, font);
  EXPECT_EQ(display->pixel(control(0), {0, 151}), present::to_pixel(red));
  EXPECT_EQ(display->pixel(control(0), {0, 0}), present::to_pixel(grey));
  EXPECT_EQ(display->pixel(control(0), {1, 0}), present::to_pixel(black));
  EXPECT_EQ(display->pixel(control(0), {3, 160}), present::to_pixel(black));
}

}  // namespace
}  // namespace page
