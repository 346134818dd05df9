#pragma once

#include <array>
#include <complex>
#include <cstddef>
#include <span>
#include <vector>

#include "wavedata/sample_bank.h"

namespace exporter {

// Band-limited resampling of cycles: the 128-point wave's harmonics 1 to 63 (its Fourier series
// below the Nyquist frequency, without the constant) played back at another length. Two cycles
// share one transform, the first as its real part and the second as its imaginary part.
class BandLimitedResampling {
 public:
  // `frame_size` is a power of two, 128 or more.
  explicit BandLimitedResampling(std::size_t frame_size)
      : frame_size_(frame_size), forward_(twiddles(wavedata::wave_points, false)), inverse_(twiddles(frame_size, true)) {}

  using Cycle = std::array<double, wavedata::wave_points>;

  // Two cycles at once into frames of `frame_size`.
  void resynthesise(const Cycle& first, const Cycle& second, std::span<double> first_frame,
                    std::span<double> second_frame);

 private:
  static std::vector<std::complex<double>> twiddles(std::size_t size, bool inverse);
  static void transform(std::vector<std::complex<double>>& data, const std::vector<std::complex<double>>& factors);

  std::size_t frame_size_;
  std::vector<std::complex<double>> forward_;
  std::vector<std::complex<double>> inverse_;
  std::vector<std::complex<double>> harmonics_;
  std::vector<std::complex<double>> frame_harmonics_;
};

}  // namespace exporter
