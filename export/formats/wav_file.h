#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "export/formats/sample_coding.h"

namespace exporter {

inline constexpr std::uint32_t sample_rate = 44100;

// The chunks that tell wavetable synthesizers how long a frame is; empty and 0 leave them out.
struct WavetableTags {
  std::string clm_text;             // the `clm ` chunk, read by synthesizers that take 2048-sample frames
  std::uint32_t srge_frame_size = 0;  // the `srge` chunk, read by those that take any frame size
};

// The text of a `clm ` chunk for 2048-sample frames: `<!>2048 `, eight flag digits (the first
// asks for interpolation between frames) and the maker's name.
std::string clm_text(bool interpolate_frames);

// A mono 44,100 Hz WAV file: `fmt `, for float samples the `fact` that non-PCM data asks for, the
// wavetable tags, and `data`. The `clm ` text is written with a terminating zero byte (two when
// that makes its size even); an odd-sized `data` chunk is padded to an even size.
std::vector<std::uint8_t> wav_file(std::span<const double> levels, SampleCoding coding,
                                   const WavetableTags& tags = {});

}  // namespace exporter
