#include "export/sound/wavetable_definitions.h"

#include <algorithm>

namespace exporter {
namespace {

// Reads one definition at `offset`, moving it past; nothing when the bytes there are not one.
std::optional<TableDefinition> read_definition(const wavedata::EpromImage& image, std::size_t& offset) {
  TableDefinition table{image[offset], offset, {}};
  ++offset;
  while (offset + 2 <= wavedata::wave_area_offset) {
    const KeyWave key{image[offset], image[offset + 1]};
    offset += 2;
    const bool in_order = table.keys.empty() ? key.position == 0 : key.position > table.keys.back().position;
    if (!in_order || key.position > last_table_position) {
      return std::nullopt;
    }
    table.keys.push_back(key);
    if (key.position == last_table_position) {
      return table;
    }
  }
  return std::nullopt;
}

}  // namespace

std::vector<TableDefinition> wavetable_definitions(const wavedata::EpromImage& image) {
  std::vector<TableDefinition> tables;
  std::size_t offset = 0;
  while (offset < wavedata::wave_area_offset) {
    std::optional<TableDefinition> table = read_definition(image, offset);
    if (!table) {
      break;
    }
    tables.push_back(std::move(*table));
  }
  return tables;
}

std::optional<std::size_t> missing_key_wave(const TableDefinition& table) {
  for (const KeyWave& key : table.keys) {
    if (key.wave >= wavedata::stored_waves) {
      return key.wave;
    }
  }
  return std::nullopt;
}

Frames table_frames(const Frames& bank, const TableDefinition& table) {
  const std::size_t size = bank.frame_size;
  Frames frames{size, std::vector<double>(table_positions * size)};
  for (std::size_t key = 0; key + 1 < table.keys.size(); ++key) {
    const KeyWave& from = table.keys[key];
    const KeyWave& to = table.keys[key + 1];
    const std::span<const double> a = bank.frame(from.wave);
    const std::span<const double> b = bank.frame(to.wave);
    const auto span = static_cast<double>(to.position - from.position);
    for (std::size_t position = from.position; position < to.position; ++position) {
      const double share = static_cast<double>(position - from.position) / span;
      double* frame = frames.levels.data() + position * size;
      for (std::size_t n = 0; n < size; ++n) {
        frame[n] = a[n] + (b[n] - a[n]) * share;
      }
    }
  }
  const std::span<const double> last = bank.frame(table.keys.back().wave);
  std::copy(last.begin(), last.end(), frames.levels.begin() + static_cast<std::ptrdiff_t>(last_table_position * size));
  return frames;
}

}  // namespace exporter
