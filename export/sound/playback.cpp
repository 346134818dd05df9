#include "export/sound/playback.h"

#include <algorithm>
#include <cmath>

#include "export/formats/sample_coding.h"

namespace exporter {
namespace {

Playback cycles_of(const Frames& frames, int note, double seconds) {
  const double frequency = note_frequency(note);
  const auto cycles = std::max<std::size_t>(frames.count(), static_cast<std::size_t>(std::lround(seconds * frequency)));
  Playback playback{static_cast<std::uint32_t>(std::lround(frequency * static_cast<double>(wavedata::wave_points))), {}};
  playback.samples.reserve(cycles * wavedata::wave_points);
  for (std::size_t cycle = 0; cycle < cycles; ++cycle) {
    for (const double level : frames.frame(cycle * frames.count() / cycles)) {
      playback.samples.push_back(signed16_sample(level));
    }
  }
  return playback;
}

}  // namespace

double note_frequency(int note) { return 440.0 * std::exp2((note - 69) / 12.0); }

Playback wave_playback(const wavedata::SampleBank& bank, std::size_t wave, int note, double seconds) {
  const Frames stored = bank_frames(bank, wavedata::wave_points, Upsampling::Repeat);
  const std::span<const double> points = stored.frame(wave);
  return cycles_of(Frames{wavedata::wave_points, std::vector<double>(points.begin(), points.end())}, note, seconds);
}

Playback table_playback(const wavedata::SampleBank& bank, const TableDefinition& table, int note, double seconds) {
  return cycles_of(table_frames(bank_frames(bank, wavedata::wave_points, Upsampling::Repeat), table), note, seconds);
}

}  // namespace exporter
