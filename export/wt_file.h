#pragma once

#include <cstdint>
#include <vector>

#include "export/frames.h"

namespace exporter {

// A `.wt` wavetable: `vawt`, the frame size (uint32), the frame count and the flags (uint16 each;
// no flag set, so the samples are 32-bit floats), then every frame's samples.
std::vector<std::uint8_t> wt_file(const Frames& frames);

}  // namespace exporter
