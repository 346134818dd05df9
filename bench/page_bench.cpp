#include <benchmark/benchmark.h>

#include <memory>

#include "page/render_page.h"
#include "present/drawing/drawing_session.h"
#include "present/fonts.h"
#include "present/drawing/images.h"
#include "present/presentation.h"
#include "present/drawing/primitives.h"
#include "wavedata/decode_waves.h"

namespace {

// The canvas and label font of the viewer, without a window.
struct PageSetup {
  PageSetup() {
    present::start_presentation();
    present::create_image(0, 1024, 300);
    font = present::load_font(present::assign_number, "Arial", 8);
    wavedata::decode_waves(wavedata::eprom_image, *bank);
  }
  ~PageSetup() { present::end_presentation(); }
  std::unique_ptr<wavedata::SampleBank> bank = std::make_unique<wavedata::SampleBank>();
  std::intptr_t font = 0;
};

// A whole page, the way every press of a button draws it; beside it the black fill alone, which
// is where a page starts.
void render_a_page(benchmark::State& state) {
  PageSetup setup;
  int page = 0;
  for (auto _ : state) {
    page::render_page(*setup.bank, page, setup.font);
    page = (page + 1) % 31;
    benchmark::ClobberMemory();
  }
}
BENCHMARK(render_a_page);

void fill_for_a_page(benchmark::State& state) {
  PageSetup setup;
  for (auto _ : state) {
    present::start_drawing(present::image_output(0));
    present::fill_box(0, 0, 1024, 300, 0);
    present::stop_drawing();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(fill_for_a_page);

}  // namespace
