#include "export/sound/band_limited_resampling.h"

#include <numbers>
#include <utility>

namespace exporter {
namespace {

constexpr std::size_t highest_harmonic = wavedata::wave_points / 2 - 1;  // 63

}  // namespace

std::vector<std::complex<double>> BandLimitedResampling::twiddles(std::size_t size, bool inverse) {
  std::vector<std::complex<double>> factors(size / 2);
  const double angle = (inverse ? 2.0 : -2.0) * std::numbers::pi / static_cast<double>(size);
  for (std::size_t k = 0; k < factors.size(); ++k) {
    factors[k] = std::polar(1.0, angle * static_cast<double>(k));
  }
  return factors;
}

// In place, radix 2, without scaling: X[k] = sum x[n] e^(-+2 pi i k n / N), with the twiddle
// factors of N for the direction wanted.
void BandLimitedResampling::transform(std::vector<std::complex<double>>& data,
                                    const std::vector<std::complex<double>>& factors) {
  const std::size_t size = data.size();
  for (std::size_t i = 1, j = 0; i < size; ++i) {
    std::size_t bit = size >> 1;
    for (; (j & bit) != 0; bit >>= 1) {
      j ^= bit;
    }
    j ^= bit;
    if (i < j) {
      std::swap(data[i], data[j]);
    }
  }
  // Worked on as pairs of doubles (the layout std::complex guarantees): built as complex values,
  // the products went through memory on every butterfly.
  double* values = reinterpret_cast<double*>(data.data());
  const double* turns = reinterpret_cast<const double*>(factors.data());
  for (std::size_t length = 2; length <= size; length <<= 1) {
    const std::size_t half = length / 2;
    const std::size_t step = size / length;
    for (std::size_t start = 0; start < size; start += length) {
      for (std::size_t k = 0; k < half; ++k) {
        double* even = values + 2 * (start + k);
        double* odd = values + 2 * (start + k + half);
        const double* turn = turns + 2 * k * step;
        const double real = odd[0] * turn[0] - odd[1] * turn[1];
        const double imaginary = odd[0] * turn[1] + odd[1] * turn[0];
        odd[0] = even[0] - real;
        odd[1] = even[1] - imaginary;
        even[0] += real;
        even[1] += imaginary;
      }
    }
  }
}

void BandLimitedResampling::resynthesise(const Cycle& first, const Cycle& second, std::span<double> first_frame,
                                       std::span<double> second_frame) {
  harmonics_.resize(wavedata::wave_points);
  for (std::size_t n = 0; n < wavedata::wave_points; ++n) {
    harmonics_[n] = {first[n], second[n]};
  }
  transform(harmonics_, forward_);
  frame_harmonics_.assign(frame_size_, {});
  for (std::size_t k = 1; k <= highest_harmonic; ++k) {
    frame_harmonics_[k] = harmonics_[k];
    frame_harmonics_[frame_size_ - k] = harmonics_[wavedata::wave_points - k];
  }
  transform(frame_harmonics_, inverse_);
  const auto scale = static_cast<double>(wavedata::wave_points);
  for (std::size_t n = 0; n < frame_size_; ++n) {
    first_frame[n] = frame_harmonics_[n].real() / scale;
    second_frame[n] = frame_harmonics_[n].imag() / scale;
  }
}

}  // namespace exporter
