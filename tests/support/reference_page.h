#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "wavedata/sample_bank.h"

namespace reference {

constexpr std::uint32_t rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  return red << 16 | green << 8 | blue;
}

// A page of the viewer worked out here from its drawing rules alone, with none of the viewer's
// drawing code, so that a test comparing a shown page with it catches faults in that code.
// Pixels are 0x00RRGGBB, rows top-down, as screenshots give them.
//
// The glyphs of the labels depend on the font renderer, so the label cells (from each label's
// position to the next divider, above the trace or below it) are not compared pixel for pixel;
// their pixels only have to be shades of the label grey on black.
class ReferencePage {
 public:
  static constexpr std::uint32_t black = rgb(0, 0, 0);
  static constexpr std::uint32_t divider = rgb(100, 100, 100);
  static constexpr std::uint32_t label = rgb(200, 200, 200);
  static constexpr std::uint32_t trace_line = rgb(100, 100, 150);
  static constexpr std::uint32_t sample_point = rgb(255, 0, 0);

  static constexpr int width = 1024;
  static constexpr int height = 300;

  ReferencePage(const wavedata::SampleBank& bank, int page) : pixels_(std::size_t{width} * height, black) {
    for (int column = 0; column < 8; ++column) {
      for (int y = 0; y < height; ++y) {
        set(128 * column, y, divider);
      }
    }
    const auto row = [&](int x) { return bank.words[static_cast<std::size_t>(1024 * page + x)] + 20; };
    for (int x = 0; x + 1 < width; ++x) {
      draw_segment(x, row(x), row(x + 1));
      set(x, row(x), sample_point);
    }
    set(width - 1, row(width - 1), sample_point);
  }

  std::uint32_t pixel(int x, int y) const { return pixels_[static_cast<std::size_t>(y * width + x)]; }

  static bool in_label_cell(int x, int y) {
    const int in_column = x % 128;
    return (y < 20 && in_column >= 100) || (y >= 280 && in_column >= 5);
  }

  // How a picture of the page's size (0x00RRGGBB, rows top-down) differs from the page; empty
  // when it does not.
  std::string difference(const std::vector<std::uint32_t>& picture) const {
    if (picture.size() != pixels_.size()) {
      return "the picture has " + std::to_string(picture.size()) + " pixels, not " + std::to_string(pixels_.size());
    }
    std::size_t wrong = 0;
    std::string first;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::uint32_t shown = picture[static_cast<std::size_t>(y * width + x)];
        const bool right = in_label_cell(x, y) ? is_label_shade(shown) : shown == pixel(x, y);
        if (!right && wrong++ == 0) {
          first = describe(x, y, shown);
        }
      }
    }
    return wrong == 0 ? std::string() : std::to_string(wrong) + " pixels differ, the first " + first;
  }

 private:
  // Text is blended alike in each channel from black towards the label grey.
  static bool is_label_shade(std::uint32_t colour) {
    const std::uint32_t blue = colour & 0xFF;
    return colour == rgb(blue, blue, blue) && blue <= (label & 0xFF);
  }

  void set(int x, int y, std::uint32_t colour) { pixels_[static_cast<std::size_t>(y * width + x)] = colour; }

  // A segment between the neighbouring columns x and x + 1 whose ends lie k rows apart: the
  // column of the upper end takes ceil(k / 2) rows from that end down, the other column the
  // rest down to its own end; level ends give one pixel in each column.
  void draw_segment(int x, int left_row, int right_row) {
    if (left_row == right_row) {
      set(x, left_row, trace_line);
      set(x + 1, right_row, trace_line);
      return;
    }
    const int top = std::min(left_row, right_row);
    const int bottom = std::max(left_row, right_row);
    const int upper_column = left_row < right_row ? x : x + 1;
    const int lower_column = left_row < right_row ? x + 1 : x;
    const int upper_rows = (bottom - top + 1) / 2;
    for (int y = top; y < top + upper_rows; ++y) {
      set(upper_column, y, trace_line);
    }
    for (int y = top + upper_rows; y <= bottom; ++y) {
      set(lower_column, y, trace_line);
    }
  }

  std::string describe(int x, int y, std::uint32_t shown) const {
    char text[120];
    if (in_label_cell(x, y)) {
      std::snprintf(text, sizeof text, "at (%d, %d) in a label cell: 0x%06X is no shade of the label grey", x, y,
                    shown);
    } else {
      std::snprintf(text, sizeof text, "at (%d, %d): shown 0x%06X, expected 0x%06X", x, y, shown, pixel(x, y));
    }
    return text;
  }

  std::vector<std::uint32_t> pixels_;
};

}  // namespace reference
