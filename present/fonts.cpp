#include "present/fonts.h"

#include <cstdlib>
#include <limits>

#include "platform/graphics/graphics_state.h"
#include "present/layer.h"
#include "present/drawing/text.h"

namespace present {
namespace {

// Negative: the character height, without internal leading.
int height_for_points(int points) { return -mul_div(points, platform::display_dpi(), 72); }

}  // namespace

int mul_div(int a, int b, int c) {
  if (c == 0) {
    return -1;
  }
  const std::int64_t product = std::int64_t{a} * b;
  const std::int64_t half = std::llabs(c) / 2;
  const bool negative = (product < 0) != (c < 0);
  const std::int64_t magnitude = (std::llabs(product) + half) / std::llabs(c);
  if (magnitude > std::numeric_limits<int>::max()) {
    return -1;
  }
  return static_cast<int>(negative ? -magnitude : magnitude);
}

std::intptr_t load_font(ObjectNumber number, const std::string& face, int points, int flags) {
  Layer* running = layer();
  if (running == nullptr) {
    return 0;
  }
  FontRecord* record = running->fonts.claim(number);
  if (record == nullptr) {
    return 0;
  }
  const ObjectNumber assigned = running->fonts.number_of(*record, number);
  platform::FontRequest request;
  request.face = face;
  request.height = height_for_points(points);
  request.weight = (flags & font_bold) != 0 ? 700 : 400;
  request.italic = (flags & font_italic) != 0;
  request.underline = (flags & font_underline) != 0;
  request.strike_out = (flags & font_strike_out) != 0;
  request.quality = (flags & font_proof_quality) != 0 ? 2 : 0;
  const platform::FontHandle handle = platform::create_font(request);
  if (handle == 0) {
    running->fonts.remove(assigned);
    return 0;
  }
  record->handle = handle;
  return number == assign_number ? assigned : handle;
}

platform::FontHandle font_handle(ObjectNumber number) {
  Layer* running = layer();
  const FontRecord* record = running != nullptr ? running->fonts.find(number) : nullptr;
  return record != nullptr ? record->handle : 0;
}

}  // namespace present
