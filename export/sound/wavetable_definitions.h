#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "export/sound/frames.h"
#include "wavedata/eprom_image.h"

namespace exporter {

// The instrument's wavetables, as its image defines them in the head before the wave area: each
// definition a leading byte, then (wave number, position) pairs with rising positions from 0 up
// to the last position, 60. A table holds the 61 positions 0 to 60.
inline constexpr std::size_t last_table_position = 60;
inline constexpr std::size_t table_positions = last_table_position + 1;

struct KeyWave {
  std::size_t wave = 0;
  std::size_t position = 0;
};

struct TableDefinition {
  std::uint8_t leading_byte = 0;  // like a table number, but not unique: tables are known by their place
  std::size_t offset = 0;         // where the definition starts in the image
  std::vector<KeyWave> keys;
};

// Every definition from the start of the image, in order, up to the first that does not read as
// one (a first position other than 0, positions not rising, a position past 60, or the end of
// the head before position 60).
std::vector<TableDefinition> wavetable_definitions(const wavedata::EpromImage& image);

// The first key wave that the image does not hold, if any.
std::optional<std::size_t> missing_key_wave(const TableDefinition& table);

// The table's 61 frames from the bank's frames: each key wave at its position, and between two
// keys at p1 and p2 the per-sample crossfade a + (b - a) (p - p1) / (p2 - p1).
Frames table_frames(const Frames& bank, const TableDefinition& table);

}  // namespace exporter
