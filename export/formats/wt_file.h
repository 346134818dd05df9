#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace exporter {

// A `.wt` wavetable: `vawt`, the frame size (uint32), the frame count and the flags (uint16 each;
// no flag set, so the samples are 32-bit floats), then every frame's samples. `levels` holds whole
// frames of `frame_size` samples, one after the other.
std::vector<std::uint8_t> wt_file(std::span<const double> levels, std::size_t frame_size);

}  // namespace exporter
