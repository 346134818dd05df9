#pragma once

#include <cstdint>
#include <functional>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/glyphs.h"

namespace platform {

// A rectangle of glyph coverage values, 0 to 255, set at (left, top); a pitch of 0 repeats the
// first row. What every glyph source hands out to be written or traced.
struct CoverageBlock {
  long left;
  long top;
  long width;
  long rows;
  const std::uint8_t* data;
  int pitch;
};

// Makes a text's cell, `cell` with its top-left corner at (x, y), opaque black in a 24- or 32-bit
// bitmap, cut at the bitmap's edges.
void clear_cell(Bitmap& target, int x, int y, const TextExtent& cell);

// Writes the block's coverage white on the cell's black, cut at the bitmap's edges.
void write_block(Bitmap& target, const CoverageBlock& block);

// Calls paint(x, y, coverage) for every pixel of the block that the glyph covers.
void trace_block(const CoverageBlock& block, const std::function<void(int x, int y, std::uint8_t coverage)>& paint);

}  // namespace platform
