#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

#include "wavedata/sample_bank.h"

namespace exporter {

// Band-limited resampling of cycles: the 128-point wave's harmonics 1 to 63 (its Fourier series
// below the Nyquist frequency, without the constant) summed at another number of points. A wave
// this short needs no fast transform: both sums are taken directly, over one table of cosines and
// sines round the frame.
class BandLimitedResampling {
 public:
  using Cycle = std::array<double, wavedata::wave_points>;

  // `frame_size` is a power of two, 128 or more.
  explicit BandLimitedResampling(std::size_t frame_size);

  // The wave resynthesised into `frame`, which holds `frame_size` samples.
  void resynthesise(const Cycle& wave, std::span<double> frame) const;

 private:
  std::vector<double> cosines_;  // cos(2 pi j / frame_size) for j = 0 to frame_size - 1
  std::vector<double> sines_;
};

}  // namespace exporter
