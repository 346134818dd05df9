#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "export/formats/sample_coding.h"
#include "export/sound/frames.h"
#include "wavedata/sample_bank.h"

namespace exporter {

// The bytes of each kind of file the export makes, by one set of rules for the command line and
// for the web page's panel, so that both hand out the same files.

enum class Container { Wav, Wt };

inline constexpr std::size_t long_frame = 2048;
inline constexpr std::size_t module_frame = 256;
inline constexpr std::size_t waves_per_module_bank = 64;
inline constexpr std::size_t module_banks = 4;

// 2048 samples for a WAV wavetable, the waves' own 128 for `.wt`.
std::size_t default_frame(Container container);

// Where the levels would pass full scale in the coding, scales them all by one factor so that they
// peak at exactly full scale, and returns the peak they had as a share of it; otherwise 0.
double fit_to_full_scale(std::span<double> levels, SampleCoding coding);

// One wave as a single-cycle WAV; 16-bit and float ones are tagged as one cycle of 128 samples.
std::vector<std::uint8_t> single_cycle_file(std::span<const double> wave, SampleCoding coding);

// A wavetable in the container: `.wt`, or a WAV of float frames tagged with their size (and, for
// 2048-sample frames, with the `clm ` text that says whether frames are interpolated).
std::vector<std::uint8_t> wavetable_file(const Frames& frames, Container container, bool interpolate_frames);

// The waves in 256-sample frames, with silent frames after them up to four banks of 64.
Frames module_bank_frames(const wavedata::SampleBank& bank, Upsampling upsampling);

// A 256-sample bank as 16-bit PCM behind the canonical 44-byte header, which samplers read.
std::vector<std::uint8_t> module_bank_file(std::span<const double> levels);

// The levels of module bank `number` (0 to 3) of those frames.
std::vector<double> module_bank_levels(const Frames& frames, std::size_t number);

}  // namespace exporter
