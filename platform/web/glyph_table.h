#pragma once

// The glyphs the page draws, rendered while the program is built by the build machine's FreeType
// with the settings the Linux build gives the face (make_glyph_table.cpp): the web build draws
// them from this table and carries neither FreeType nor a face.

#include <cstdint>
#include <span>

namespace platform::web {

struct TableGlyph {
  unsigned char character;
  std::int16_t left;  // from the pen position to the first column
  std::int16_t top;   // from the baseline up to the first row
  std::uint16_t width;
  std::uint16_t rows;
  std::uint16_t advance;
  std::uint32_t offset;  // of its width x rows coverage values in the table's coverage
};

// The face at one size: its lines' metrics in pixels and its glyphs, in the order of their
// characters.
struct TableSize {
  int pixels;  // the em height
  int ascent;
  int descent;
  int line_thickness;
  int underline_row;  // the underline's and strike-out's first rows, from the cell's top
  int strike_row;
  std::span<const TableGlyph> glyphs;
};

struct GlyphTable {
  const char* family;
  // A font asked for by its cell height (ascent plus descent) has the em height
  // height x units_per_em / cell_units.
  int units_per_em;
  int cell_units;
  std::span<const TableSize> sizes;  // from the smallest up
  const std::uint8_t* coverage;
};

extern const GlyphTable glyph_table;

}  // namespace platform::web
