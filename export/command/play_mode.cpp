#include "export/command/play_mode.h"

#include <string>

#include "export/failures.h"
#include "export/sound/playback.h"
#include "wavedata/eprom_image.h"

namespace exporter {

PlayEnd run_play_request(const PlayRequest& request, const wavedata::SampleBank& bank) {
  if (request.source == PlayRequest::Source::Wave) {
    const Playback playback = wave_playback(bank, request.number, request.note, request.seconds);
    return play_samples(playback.sample_rate, playback.samples);
  }
  // The sweep is heard at A3, where the instrument's tables are usually shown.
  constexpr int sweep_note = 57;
  const TableDefinition table = wavetable_definitions(wavedata::eprom_image).at(request.number);
  if (const auto wave = missing_key_wave(table)) {
    throw ExportFailure("table " + std::to_string(request.number) + " names wave " + std::to_string(*wave) +
                        ", which the image does not hold");
  }
  const Playback playback = table_playback(bank, table, sweep_note, request.seconds);
  return play_samples(playback.sample_rate, playback.samples);
}

}  // namespace exporter
