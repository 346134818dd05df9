#include "wavedata/decode_waves.h"

namespace wavedata {

void decode_waves(const EpromImage& image, SampleBank& bank) {
  for (std::size_t wave = 0; wave < stored_waves; ++wave) {
    const std::uint8_t* block = image.data() + wave_area_offset + wave * half_cycle_bytes;
    std::int16_t* points = bank.words.data() + wave * wave_points;
    for (std::size_t j = 0; j < half_cycle_bytes; ++j) {
      points[j] = block[j];
    }
    for (std::size_t j = 0; j < half_cycle_bytes; ++j) {
      points[half_cycle_bytes + j] = static_cast<std::int16_t>(256 - points[half_cycle_bytes - 1 - j]);
    }
  }
}

}  // namespace wavedata
