#include <benchmark/benchmark.h>

#include "page/labels.h"
#include "present/drawing/drawing_session.h"
#include "present/fonts.h"
#include "present/drawing/images.h"
#include "present/presentation.h"
#include "present/drawing/text.h"

namespace {

using namespace present;

// The 24 labels of a page, as a page draws them, in the label font.
void draw_page_labels(benchmark::State& state) {
  start_presentation();
  create_image(0, 1024, 300);
  const std::intptr_t font = load_font(assign_number, "Arial", 8);
  start_drawing(image_output(0));
  set_drawing_font(font_handle(font));
  const Colour colour = make_rgb(200, 200, 200);
  for (auto _ : state) {
    for (int column = 0; column < 8; ++column) {
      const page::ColumnLabels labels = page::column_labels(17, column);
      draw_text(128 * column + 5, 280, labels.hex_offset, colour);
      draw_text(128 * column + 80, 280, labels.decimal_offset, colour);
      draw_text(128 * column + 100, 0, labels.wave_number, colour);
    }
    benchmark::ClobberMemory();
  }
  end_presentation();
}
BENCHMARK(draw_page_labels);

}  // namespace
