#pragma once

#include "wavedata/eprom_image.h"
#include "wavedata/sample_bank.h"

namespace wavedata {

// Completes every stored half-cycle to a full wave: the 64 stored points, then the same points
// reversed in time and reflected about 128. Slots beyond the stored waves are left as they are.
void decode_waves(const EpromImage& image, SampleBank& bank);

}  // namespace wavedata
