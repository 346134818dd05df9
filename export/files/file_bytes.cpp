#include "export/files/file_bytes.h"

#include "export/formats/wav_file.h"
#include "export/formats/wt_file.h"

namespace exporter {

std::size_t default_frame(Container container) { return container == Container::Wav ? long_frame : wavedata::wave_points; }

double fit_to_full_scale(std::span<double> levels, SampleCoding coding) {
  const double share = full_scale_share(levels, coding);
  if (share <= 1.0) {
    return 0.0;
  }
  for (double& level : levels) {
    level /= share;
  }
  return share;
}

std::vector<std::uint8_t> single_cycle_file(std::span<const double> wave, SampleCoding coding) {
  // 8-bit files stay the image's bytes behind the canonical header; wavetable synthesizers, which
  // read 16-bit and float files, are told it is one cycle.
  WavetableTags tags;
  if (coding != SampleCoding::Unsigned8) {
    tags.srge_frame_size = static_cast<std::uint32_t>(wavedata::wave_points);
  }
  return wav_file(wave, coding, tags);
}

std::vector<std::uint8_t> wavetable_file(const Frames& frames, Container container, bool interpolate_frames) {
  if (container == Container::Wt) {
    return wt_file(frames.levels, frames.frame_size);
  }
  WavetableTags tags;
  if (frames.frame_size == long_frame) {
    tags.clm_text = clm_text(interpolate_frames);
  }
  tags.srge_frame_size = static_cast<std::uint32_t>(frames.frame_size);
  return wav_file(frames.levels, SampleCoding::Float32, tags);
}

Frames module_bank_frames(const wavedata::SampleBank& bank, Upsampling upsampling) {
  return bank_frames(bank, module_frame, upsampling, module_banks * waves_per_module_bank - wavedata::stored_waves);
}

std::vector<std::uint8_t> module_bank_file(std::span<const double> levels) {
  return wav_file(levels, SampleCoding::Signed16);
}

std::vector<double> module_bank_levels(const Frames& frames, std::size_t number) {
  const std::size_t size = waves_per_module_bank * module_frame;
  const auto start = frames.levels.begin() + static_cast<std::ptrdiff_t>(number * size);
  return std::vector<double>(start, start + static_cast<std::ptrdiff_t>(size));
}

}  // namespace exporter
