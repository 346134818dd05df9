// The web program draws from a table of glyphs at a few sizes: every other size is drawn at the
// nearest size the table has, and the first such font is reported; a character the table lacks
// is drawn as nothing and takes no room.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/glyphs.h"
#include "platform/web/glyph_table.h"

namespace platform {
namespace {

const web::TableSize* table_size(int pixels) {
  for (const web::TableSize& size : web::glyph_table.sizes) {
    if (size.pixels == pixels) {
      return &size;
    }
  }
  return nullptr;
}

// The text's width from the table's advances, its characters that the table lacks left out.
int table_width(const web::TableSize& size, std::string_view text) {
  int width = 0;
  for (const char character : text) {
    for (const web::TableGlyph& glyph : size.glyphs) {
      width += glyph.character == static_cast<unsigned char>(character) ? glyph.advance : 0;
    }
  }
  return width;
}

std::vector<std::uint8_t> drawn(FontHandle font, std::string_view text) {
  auto bitmap = Bitmap::make(200, -120, 24);
  if (!bitmap || !write_text(font, text, *bitmap, 10, 10)) {
    return {};
  }
  return {bitmap->pixels(), bitmap->pixels() + bitmap->byte_size()};
}

TEST(TableGlyphs, EachSizeIsDrawnAtTheNearestInTheTableAndTheFirstMissingOneIsReported) {
  std::vector<FontFallback> told;
  set_font_report([&](const FontFallback& fallback) { told.push_back(fallback); });
  struct Case {
    int height;  // as the glyph interface takes it: negative the em, positive the cell, 0 the default
    std::string_view text;
    int pixels;  // the table's size drawn
  };
  const Case cases[] = {
      {-11, "300h", 11},      // the labels
      {-24, "Previous", 24},  // a caption at scale 2
      {0, "Next", 12},        // the default: 12 pixels
      {13, "Next", 12},       // a cell of 13: an em of 13 x 2048 / 2288 = 11.6 pixels
      {-29, "Next", 24},      // reported: the first size the table lacks
      {-500, "Next", 84},     // past the largest scale's captions
  };
  for (const Case& entry : cases) {
    SCOPED_TRACE(entry.height);
    const web::TableSize* size = table_size(entry.pixels);
    ASSERT_NE(size, nullptr);
    FontRequest request;
    request.face = "Arial";
    request.height = entry.height;
    const FontHandle font = create_font(request);
    const std::optional<TextExtent> extent = measure_text(font, entry.text);
    ASSERT_TRUE(extent);
    EXPECT_GT(extent->width, 0);
    EXPECT_EQ(extent->width, table_width(*size, entry.text));
    EXPECT_EQ(extent->height, size->ascent + size->descent);
    // A character the table lacks leaves the text as it is without it.
    const std::string with_unknown = "?" + std::string(entry.text) + "\xe9";
    EXPECT_EQ(measure_text(font, with_unknown)->width, extent->width);
    EXPECT_EQ(drawn(font, with_unknown), drawn(font, entry.text));
  }
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].asked, "Arial");
  EXPECT_EQ(told[0].asked_pixels, 29);
  EXPECT_EQ(told[0].used, "Liberation Sans");
  EXPECT_EQ(told[0].used_pixels, 24);
  end_glyphs();
}

}  // namespace
}  // namespace platform
