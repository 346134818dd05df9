#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "page/render_page.h"
#include "platform/bitmap.h"
#include "present/fonts.h"
#include "present/images.h"
#include "present/presentation.h"
#include "wavedata/decode_waves.h"

namespace x11_test {

// The canvas of a page as the viewer draws it, 0x00RRGGBB, rows top-down, drawn with a layer of
// the test's own (which needs no window).
inline std::vector<std::uint32_t> expected_page(int page) {
  present::start_presentation();
  present::create_image(0, 1024, 300);
  const std::intptr_t font = present::load_font(present::assign_number, "Arial", 8);
  auto bank = std::make_unique<wavedata::SampleBank>();
  wavedata::decode_waves(wavedata::eprom_image, *bank);
  page::render_page(*bank, page, font);
  const platform::Bitmap& canvas = *platform::find_bitmap(present::image_handle(0));
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 1024; ++x) {
      const std::uint8_t* bytes = canvas.row(y) + 3 * x;
      pixels.push_back(std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16);
    }
  }
  present::end_presentation();
  return pixels;
}

}  // namespace x11_test
