#include "export/files/panel_files.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "export/sound/band_limited_resampling.h"
#include "export/sound/playback.h"
#include "wavedata/eprom_image.h"

namespace exporter {
namespace {

constexpr double highest_band_limited_rate = 192000.0;
constexpr std::size_t largest_band_limited_frame = 2048;

std::string numbered(const char* stem, std::size_t number, int digits, const char* extension) {
  char text[64];
  std::snprintf(text, sizeof text, "%s%0*zu%s", stem, digits, number, extension);
  return text;
}

PanelSound sound_of(const Playback& playback) {
  PanelSound sound{static_cast<double>(playback.sample_rate), {}};
  sound.samples.reserve(playback.samples.size());
  for (const std::int16_t sample : playback.samples) {
    sound.samples.push_back(static_cast<float>(sample) / 32768.0f);
  }
  return sound;
}

}  // namespace

PanelFiles::PanelFiles(const wavedata::SampleBank& bank)
    : bank_(bank),
      stored_(bank_frames(bank, wavedata::wave_points, Upsampling::Repeat)),
      tables_(wavetable_definitions(wavedata::eprom_image)) {}

ZipEntry PanelFiles::wave(std::size_t wave) const {
  return {numbered("wave-", wave, 3, ".wav"), single_cycle_file(stored_.frame(wave), SampleCoding::Signed16)};
}

ZipEntry PanelFiles::bank(Container container) const {
  const Frames frames = bank_frames(bank_, default_frame(container), Upsampling::Repeat);
  return {container == Container::Wav ? "bank.wav" : "bank.wt", wavetable_file(frames, container, false)};
}

ZipEntry PanelFiles::module_bank(std::size_t number) const {
  const Frames frames = module_bank_frames(bank_, Upsampling::Repeat);
  return {numbered("bank-", number + 1, 1, ".wav"), module_bank_file(module_bank_levels(frames, number))};
}

std::optional<ZipEntry> PanelFiles::table(std::size_t index, Container container) const {
  if (index >= tables_.size() || missing_key_wave(tables_[index])) {
    return std::nullopt;
  }
  const Frames frames = bank_frames(bank_, default_frame(container), Upsampling::Repeat);
  return ZipEntry{numbered("table-", index, 2, container == Container::Wav ? ".wav" : ".wt"),
                  wavetable_file(exporter::table_frames(frames, tables_[index]), container, true)};
}

ZipEntry PanelFiles::everything() const {
  std::vector<ZipEntry> entries;
  for (std::size_t number = 0; number < wavedata::stored_waves; ++number) {
    entries.push_back(wave(number));
    entries.back().name.insert(0, "waves/");
  }
  entries.push_back(bank(Container::Wav));
  entries.push_back(bank(Container::Wt));
  for (std::size_t number = 0; number < module_banks; ++number) {
    entries.push_back(module_bank(number));
    entries.back().name.insert(0, "banks256/");
  }
  for (const Container container : {Container::Wav, Container::Wt}) {
    const Frames frames = bank_frames(bank_, default_frame(container), Upsampling::Repeat);
    for (std::size_t index = 0; index < tables_.size(); ++index) {
      if (!missing_key_wave(tables_[index])) {
        entries.push_back({numbered("tables/table-", index, 2, container == Container::Wav ? ".wav" : ".wt"),
                           wavetable_file(exporter::table_frames(frames, tables_[index]), container, true)});
      }
    }
  }
  return {"tablescope.zip", zip_file(entries)};
}

std::optional<Frames> PanelFiles::table_frames_128(std::size_t index) const {
  if (index >= tables_.size() || missing_key_wave(tables_[index])) {
    return std::nullopt;
  }
  return exporter::table_frames(stored_, tables_[index]);
}

PanelSound PanelFiles::wave_sound(std::size_t wave, int note, bool band_limited) const {
  if (!band_limited) {
    return sound_of(wave_playback(bank_, wave, note, 0.0));
  }
  const double frequency = note_frequency(note);
  std::size_t frame_size = largest_band_limited_frame;
  while (frame_size > wavedata::wave_points && static_cast<double>(frame_size) * frequency > highest_band_limited_rate) {
    frame_size /= 2;
  }
  BandLimitedResampling::Cycle cycle{};
  const std::span<const double> points = stored_.frame(wave);
  std::copy(points.begin(), points.end(), cycle.begin());
  std::vector<double> levels(frame_size);
  BandLimitedResampling(frame_size).resynthesise(cycle, levels);
  fit_to_full_scale(levels, SampleCoding::Float32);
  PanelSound sound{static_cast<double>(frame_size) * frequency, {}};
  for (const double level : levels) {
    sound.samples.push_back(float32_sample(level));
  }
  return sound;
}

std::optional<PanelSound> PanelFiles::table_sweep(std::size_t index, int note, double seconds) const {
  if (index >= tables_.size() || missing_key_wave(tables_[index])) {
    return std::nullopt;
  }
  return sound_of(table_playback(bank_, tables_[index], note, seconds));
}

}  // namespace exporter
