#include "export/spectral_resynthesis.h"

#include <numbers>
#include <utility>

namespace exporter {
namespace {

constexpr std::size_t highest_harmonic = wavedata::wave_points / 2 - 1;  // 63

}  // namespace

std::vector<std::complex<double>> SpectralResynthesis::twiddles(std::size_t size, bool inverse) {
  std::vector<std::complex<double>> factors(size / 2);
  const double angle = (inverse ? 2.0 : -2.0) * std::numbers::pi / static_cast<double>(size);
  for (std::size_t k = 0; k < factors.size(); ++k) {
    factors[k] = std::polar(1.0, angle * static_cast<double>(k));
  }
  return factors;
}

// In place, radix 2, without scaling: X[k] = sum x[n] e^(-+2 pi i k n / N), with the twiddle
// factors of N for the direction wanted.
void SpectralResynthesis::transform(std::vector<std::complex<double>>& data,
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
  for (std::size_t length = 2; length <= size; length <<= 1) {
    const std::size_t step = size / length;
    for (std::size_t start = 0; start < size; start += length) {
      for (std::size_t k = 0; k < length / 2; ++k) {
        const std::complex<double> odd = data[start + k + length / 2] * factors[k * step];
        data[start + k + length / 2] = data[start + k] - odd;
        data[start + k] += odd;
      }
    }
  }
}

void SpectralResynthesis::resynthesise(std::span<const double, wavedata::wave_points> wave, std::span<double> frame) {
  spectrum_.assign(wave.begin(), wave.end());
  transform(spectrum_, forward_);
  frame_spectrum_.assign(frame_size_, {});
  for (std::size_t k = 1; k <= highest_harmonic; ++k) {
    frame_spectrum_[k] = spectrum_[k];
    frame_spectrum_[frame_size_ - k] = spectrum_[wavedata::wave_points - k];
  }
  transform(frame_spectrum_, inverse_);
  for (std::size_t n = 0; n < frame.size(); ++n) {
    frame[n] = frame_spectrum_[n].real() / static_cast<double>(wavedata::wave_points);
  }
}

}  // namespace exporter
