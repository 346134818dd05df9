#include "export/sound/frames.h"

#include <array>
#include <optional>

#include "export/sound/band_limited_resampling.h"

namespace exporter {
namespace {

using Wave = BandLimitedResampling::Cycle;

Wave wave_levels(const wavedata::SampleBank& bank, std::size_t number) {
  Wave levels{};
  const auto points = bank.wave(number);
  for (std::size_t n = 0; n < levels.size(); ++n) {
    levels[n] = points[n] - 128.0;
  }
  return levels;
}

void repeat_points(const Wave& wave, std::span<double> frame) {
  const std::size_t hold = frame.size() / wave.size();
  for (std::size_t n = 0; n < frame.size(); ++n) {
    frame[n] = wave[n / hold];
  }
}

// The wave is one cycle: after the last point the line runs back to the first.
void join_points(const Wave& wave, std::span<double> frame) {
  const std::size_t hold = frame.size() / wave.size();
  for (std::size_t n = 0; n < frame.size(); ++n) {
    const std::size_t point = n / hold;
    const double a = wave[point];
    const double b = wave[(point + 1) % wave.size()];
    frame[n] = a + (b - a) * static_cast<double>(n % hold) / static_cast<double>(hold);
  }
}

}  // namespace

Frames bank_frames(const wavedata::SampleBank& bank, std::size_t frame_size, Upsampling upsampling,
                   std::size_t silent_frames) {
  Frames frames{frame_size, std::vector<double>((wavedata::stored_waves + silent_frames) * frame_size, 0.0)};
  // At the waves' own length nothing is resampled, whatever was asked.
  if (frame_size == wavedata::wave_points) {
    upsampling = Upsampling::Repeat;
  }
  const auto frame = [&](std::size_t wave) {
    return std::span<double>(frames.levels.data() + wave * frame_size, frame_size);
  };
  std::optional<BandLimitedResampling> band_limited;
  if (upsampling == Upsampling::Spectral) {
    band_limited.emplace(frame_size);
  }
  for (std::size_t wave = 0; wave < wavedata::stored_waves; ++wave) {
    if (band_limited) {
      band_limited->resynthesise(wave_levels(bank, wave), frame(wave));
    } else if (upsampling == Upsampling::Repeat) {
      repeat_points(wave_levels(bank, wave), frame(wave));
    } else {
      join_points(wave_levels(bank, wave), frame(wave));
    }
  }
  return frames;
}

}  // namespace exporter
