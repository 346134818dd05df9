#pragma once

#include <cstdint>
#include <string>

#include "platform/graphics/glyphs.h"
#include "present/object_number.h"

namespace present {

struct FontRecord {
  platform::FontHandle handle = 0;
};

// Style flags of load_font.
inline constexpr int font_bold = 0x100;
inline constexpr int font_italic = 0x200;
inline constexpr int font_underline = 0x4;
inline constexpr int font_strike_out = 0x8;
inline constexpr int font_proof_quality = 0x10;

// Makes a font of `points` on the display's resolution under `number` and returns its handle (its
// number for `assign_number`), or 0.
std::intptr_t load_font(ObjectNumber number, const std::string& face, int points, int flags = 0);

// The platform font of `number`, or 0.
platform::FontHandle font_handle(ObjectNumber number);

// a * b / c rounded to the nearest integer, halves away from zero; -1 when c is 0.
int mul_div(int a, int b, int c);

}  // namespace present
