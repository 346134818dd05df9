// The web program draws its texts from a table of glyphs rendered while it is built: every glyph
// of the table must be the one this build draws (fontconfig's face for "Arial" with the desktop's
// settings, drawn by FreeType), pixel for pixel.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/coverage_block.h"
#include "platform/graphics/glyphs.h"
#include "platform/web/glyph_table.h"

namespace platform {
namespace {

TEST(GlyphTable, EveryGlyphIsTheLinuxBuildsAtItsSize) {
  ASSERT_FALSE(web::glyph_table.sizes.empty());
  for (const web::TableSize& size : web::glyph_table.sizes) {
    FontRequest request;
    request.face = "Arial";
    request.height = -size.pixels;
    const FontHandle font = create_font(request);
    ASSERT_FALSE(size.glyphs.empty()) << size.pixels;
    // Room around the cell for glyphs that reach past their advance or the line.
    const int margin = size.pixels;
    for (const web::TableGlyph& glyph : size.glyphs) {
      const std::string text(1, static_cast<char>(glyph.character));
      SCOPED_TRACE(std::to_string(size.pixels) + " pixels, '" + text + "'");
      const std::optional<TextExtent> cell = measure_text(font, text);
      ASSERT_TRUE(cell);
      EXPECT_EQ(cell->width, glyph.advance);
      EXPECT_EQ(cell->height, size.ascent + size.descent);

      const int width = cell->width + 2 * margin;
      const int height = cell->height + 2 * margin;
      auto drawn = Bitmap::make(width, -height, 24);
      auto from_table = Bitmap::make(width, -height, 24);
      ASSERT_TRUE(drawn && from_table);
      std::fill_n(drawn->pixels(), drawn->byte_size(), std::uint8_t{0x55});
      std::fill_n(from_table->pixels(), from_table->byte_size(), std::uint8_t{0x55});
      ASSERT_TRUE(write_text(font, text, *drawn, margin, margin));
      clear_cell(*from_table, margin, margin, *cell);
      write_block(*from_table, CoverageBlock{margin + glyph.left, margin + size.ascent - glyph.top, glyph.width,
                                             glyph.rows, web::glyph_table.coverage + glyph.offset, glyph.width});
      EXPECT_TRUE(std::equal(drawn->pixels(), drawn->pixels() + drawn->byte_size(), from_table->pixels()));
    }
    delete_font(font);
  }
  end_glyphs();
}

}  // namespace
}  // namespace platform
