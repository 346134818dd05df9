#include <benchmark/benchmark.h>

#include <memory>

#include "present/drawing/drawing_session.h"
#include "present/drawing/images.h"
#include "present/presentation.h"
#include "present/drawing/primitives.h"
#include "wavedata/decode_waves.h"

namespace {

using namespace present;

// Starts the layer with the page canvas as image 0 for one benchmark.
struct Canvas {
  Canvas() {
    start_presentation();
    create_image(0, 1024, 300);
  }
  ~Canvas() { end_presentation(); }
};

void fill_whole_canvas(benchmark::State& state) {
  Canvas canvas;
  start_drawing(image_output(0));
  for (auto _ : state) {
    fill_box(0, 0, 1024, 300, 0);
    benchmark::ClobberMemory();
  }
  stop_drawing();
}
BENCHMARK(fill_whole_canvas);

// A page's worth of trace over the instrument's first page: 1,023 segments between points, each
// point then plotted red.
void draw_page_trace(benchmark::State& state) {
  Canvas canvas;
  auto bank = std::make_unique<wavedata::SampleBank>();
  wavedata::decode_waves(wavedata::eprom_image, *bank);
  const auto value = [&bank](int j) { return bank->words[static_cast<std::size_t>(j)]; };
  start_drawing(image_output(0));
  for (auto _ : state) {
    for (int j = 0; j < 1023; ++j) {
      draw_line(j, value(j) + 20, j + 1, value(j + 1) + 20, make_rgb(100, 100, 150));
      plot_pixel(j, value(j) + 20, make_rgb(255, 0, 0));
    }
    plot_pixel(1023, value(1023) + 20, make_rgb(255, 0, 0));
    benchmark::ClobberMemory();
  }
  stop_drawing();
}
BENCHMARK(draw_page_trace);

}  // namespace
