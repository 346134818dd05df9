#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "export/sound/frames.h"
#include "export/sound/wavetable_definitions.h"
#include "wavedata/sample_bank.h"

namespace exporter {

// What `play` sounds, as the instrument plays its memory: cycles of the 128 stored points, held
// and never smoothed, at 128 x the note's frequency samples a second, as 16-bit samples.
struct Playback {
  std::uint32_t sample_rate = 0;
  std::vector<std::int16_t> samples;  // whole cycles of 128
};

// The note's frequency in equal temperament, A4 (MIDI note 69) at 440 Hz.
double note_frequency(int note);

// The wave looped for the whole cycles nearest `seconds`, one at least.
Playback wave_playback(const wavedata::SampleBank& bank, std::size_t wave, int note, double seconds);

// The table's 61 frames, one after the other over `seconds`: of the C cycles in that time, cycle
// c plays frame c x 61 / C (rounded down), so each frame sounds for an equal share.
Playback table_playback(const wavedata::SampleBank& bank, const TableDefinition& table, int note, double seconds);

}  // namespace exporter
