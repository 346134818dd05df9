#include "page/render_page.h"

#include "page/labels.h"
#include "present/controls.h"
#include "present/drawing/drawing_session.h"
#include "present/fonts.h"
#include "present/drawing/images.h"
#include "present/drawing/primitives.h"
#include "present/drawing/text.h"

namespace page {
namespace {

using present::make_rgb;

constexpr int canvas_width = 1024;
constexpr int canvas_height = 300;
constexpr int column_width = 128;
constexpr int value_top = 20;  // the row of value 0; larger values lie lower

constexpr present::Colour background = make_rgb(0, 0, 0);
constexpr present::Colour divider = make_rgb(100, 100, 100);
constexpr present::Colour label = make_rgb(200, 200, 200);
constexpr present::Colour trace = make_rgb(100, 100, 150);
constexpr present::Colour point = make_rgb(255, 0, 0);

}  // namespace

void render_page(const wavedata::SampleBank& bank, int page, present::ObjectNumber label_font) {
  if (page < 0 || page >= static_cast<int>(wavedata::page_count)) {
    return;  // there is no such page in the bank to read
  }
  present::start_drawing(present::image_output(0));
  present::fill_box(0, 0, canvas_width, canvas_height, background);
  present::set_drawing_font(present::font_handle(label_font));

  for (int column = 0; column < static_cast<int>(wavedata::waves_per_page); ++column) {
    const int left = column_width * column;
    // Drawn to row 350, past the canvas's bottom; draw_line cuts it to rows 0 to 299.
    present::draw_line(left, 0, left, 350, divider);
    const ColumnLabels labels = column_labels(page, column);
    present::draw_text(left + 5, 280, labels.hex_offset, label);
    present::draw_text(left + 80, 280, labels.decimal_offset, label);
    present::draw_text(left + 100, 0, labels.wave_number, label);
  }

  // One polyline over the page's 1,024 points; each point turns red once both segments that touch
  // its column are drawn.
  const std::int16_t* points = bank.words.data() + static_cast<std::size_t>(page) * wavedata::waves_per_page * wavedata::wave_points;
  const int last = canvas_width - 1;
  for (int j = 0; j < last; ++j) {
    present::draw_line(j, points[j] + value_top, j + 1, points[j + 1] + value_top, trace);
    present::plot_pixel(j, points[j] + value_top, point);
  }
  present::plot_pixel(last, points[last] + value_top, point);

  present::stop_drawing();
  present::set_control_state(0, present::image_handle(0));
}

}  // namespace page
