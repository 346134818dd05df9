#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "wavedata/sample_bank.h"

namespace exporter {

// Frames of equal size, one after the other, as levels (see sample_coding.h).
struct Frames {
  std::size_t frame_size = 0;
  std::vector<double> levels;

  std::size_t count() const { return frame_size == 0 ? 0 : levels.size() / frame_size; }
  std::span<const double> frame(std::size_t index) const {
    return std::span<const double>(levels).subspan(index * frame_size, frame_size);
  }
};

// How a 128-point wave becomes a longer frame.
enum class Upsampling {
  Repeat,    // each point held: the waves' stepped character, exactly
  Linear,    // straight lines between the points, round the cycle
  Spectral,  // harmonics 1 to 63 of the wave resynthesised, nothing above
};

// The stored waves of the bank (244 frames), each made `frame_size` long (a multiple of 128);
// `silent_frames` flat frames follow them.
Frames bank_frames(const wavedata::SampleBank& bank, std::size_t frame_size, Upsampling upsampling,
                   std::size_t silent_frames = 0);

}  // namespace exporter
