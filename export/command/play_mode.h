#pragma once

#include "export/audio/audio_output.h"
#include "export/command/play_request.h"
#include "wavedata/sample_bank.h"

namespace exporter {

// Sounds the wave or the table the request names on the desktop's audio device. Throws
// ExportFailure for a table that names waves the image does not hold, and for a device that
// cannot play.
PlayEnd run_play_request(const PlayRequest& request, const wavedata::SampleBank& bank);

}  // namespace exporter
