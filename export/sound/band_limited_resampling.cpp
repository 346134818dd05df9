#include "export/sound/band_limited_resampling.h"

#include <cmath>
#include <numbers>

namespace exporter {
namespace {

constexpr std::size_t highest_harmonic = wavedata::wave_points / 2 - 1;  // 63

}  // namespace

BandLimitedResampling::BandLimitedResampling(std::size_t frame_size) : cosines_(frame_size), sines_(frame_size) {
  for (std::size_t j = 0; j < frame_size; ++j) {
    const double angle = 2.0 * std::numbers::pi * static_cast<double>(j) / static_cast<double>(frame_size);
    cosines_[j] = std::cos(angle);
    sines_[j] = std::sin(angle);
  }
}

void BandLimitedResampling::resynthesise(const Cycle& wave, std::span<double> frame) const {
  const std::size_t size = cosines_.size();
  const std::size_t step = size / wavedata::wave_points;  // the wave's points on the frame's table
  const std::size_t round_the_frame = size - 1;           // turns are taken modulo the frame size
  // Harmonic k as a cos(k t) + b sin(k t): a = 2/128 sum x[n] cos(2 pi k n / 128), b likewise.
  std::array<double, highest_harmonic + 1> cosine_parts{};
  std::array<double, highest_harmonic + 1> sine_parts{};
  for (std::size_t k = 1; k <= highest_harmonic; ++k) {
    double cosine_sum = 0.0;
    double sine_sum = 0.0;
    for (std::size_t n = 0; n < wavedata::wave_points; ++n) {
      const std::size_t turn = k * n * step & round_the_frame;
      cosine_sum += wave[n] * cosines_[turn];
      sine_sum += wave[n] * sines_[turn];
    }
    cosine_parts[k] = 2.0 * cosine_sum / static_cast<double>(wavedata::wave_points);
    sine_parts[k] = 2.0 * sine_sum / static_cast<double>(wavedata::wave_points);
  }
  for (std::size_t m = 0; m < size; ++m) {
    // Four running sums, so that each addition need not wait for the one before.
    std::array<double, 4> sums{};
    for (std::size_t k = 1; k <= highest_harmonic; ++k) {
      const std::size_t turn = k * m & round_the_frame;
      sums[k % 4] += cosine_parts[k] * cosines_[turn] + sine_parts[k] * sines_[turn];
    }
    frame[m] = (sums[0] + sums[1]) + (sums[2] + sums[3]);
  }
}

}  // namespace exporter
