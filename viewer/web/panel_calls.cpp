// What the page's panel (panel.js) calls: each call makes one file, sound or picture and keeps it
// as the panel's result until the next call, which the panel reads from the memory at
// `tablescope_panel_result()` and copies out. The bank is decoded for the panel on its first call.

#include <emscripten.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "export/files/panel_files.h"
#include "export/picture/table_waterfall.h"
#include "wavedata/decode_waves.h"

namespace {

struct PanelState {
  wavedata::SampleBank bank;
  std::unique_ptr<exporter::PanelFiles> files;
  std::vector<std::uint8_t> result;
  std::string name;
  double sample_rate = 0.0;
};

PanelState& state() {
  static const std::unique_ptr<PanelState> panel = [] {
    auto made = std::make_unique<PanelState>();
    wavedata::decode_waves(wavedata::eprom_image, made->bank);
    made->files = std::make_unique<exporter::PanelFiles>(made->bank);
    return made;
  }();
  return *panel;
}

int keep(exporter::ZipEntry file) {
  state().name = std::move(file.name);
  state().result = std::move(file.bytes);
  return static_cast<int>(state().result.size());
}

int keep(const exporter::PanelSound& sound) {
  state().result.resize(sound.samples.size() * sizeof(float));
  std::memcpy(state().result.data(), sound.samples.data(), state().result.size());
  state().sample_rate = sound.sample_rate;
  return static_cast<int>(sound.samples.size());
}

bool is_wave(int wave) { return wave >= 0 && wave < static_cast<int>(wavedata::stored_waves); }

bool is_table(int table) {
  return table >= 0 && table < static_cast<int>(state().files->tables().size()) &&
         state().files->table_frames_128(static_cast<std::size_t>(table)).has_value();
}

// The files by kind, in the order of panel.js's `kinds`.
enum class FileKind { Wave, BankWav, BankWt, ModuleBank, TableWav, TableWt, Everything };

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const std::uint8_t* tablescope_panel_result() { return state().result.data(); }
EMSCRIPTEN_KEEPALIVE const char* tablescope_panel_name() { return state().name.c_str(); }
EMSCRIPTEN_KEEPALIVE double tablescope_panel_sample_rate() { return state().sample_rate; }

EMSCRIPTEN_KEEPALIVE int tablescope_panel_table_count() { return static_cast<int>(state().files->tables().size()); }
EMSCRIPTEN_KEEPALIVE int tablescope_panel_table_made(int table) { return is_table(table) ? 1 : 0; }

// The file's size, or -1 for a number that names none.
EMSCRIPTEN_KEEPALIVE int tablescope_panel_file(int kind, int number) {
  const exporter::PanelFiles& files = *state().files;
  const auto index = static_cast<std::size_t>(number);
  switch (static_cast<FileKind>(kind)) {
    case FileKind::Wave:
      return is_wave(number) ? keep(files.wave(index)) : -1;
    case FileKind::BankWav:
      return keep(files.bank(exporter::Container::Wav));
    case FileKind::BankWt:
      return keep(files.bank(exporter::Container::Wt));
    case FileKind::ModuleBank:
      return number >= 0 && index < exporter::module_banks ? keep(files.module_bank(index)) : -1;
    case FileKind::TableWav:
    case FileKind::TableWt:
      return is_table(number) ? keep(*files.table(index, static_cast<FileKind>(kind) == FileKind::TableWav
                                                            ? exporter::Container::Wav : exporter::Container::Wt))
                              : -1;
    case FileKind::Everything:
      return keep(files.everything());
  }
  return -1;
}

// The count of float samples, or -1.
EMSCRIPTEN_KEEPALIVE int tablescope_panel_wave_sound(int wave, int note, int band_limited) {
  return is_wave(wave) ? keep(state().files->wave_sound(static_cast<std::size_t>(wave), note, band_limited != 0)) : -1;
}

EMSCRIPTEN_KEEPALIVE int tablescope_panel_table_sweep(int table, int note, double seconds) {
  return is_table(table) && seconds >= 0.1 && seconds <= 60.0
             ? keep(*state().files->table_sweep(static_cast<std::size_t>(table), note, seconds)) : -1;
}

// The RGBA bytes of the table's waterfall at the scale, or -1.
EMSCRIPTEN_KEEPALIVE int tablescope_panel_waterfall(int table, int scale) {
  if (!is_table(table) || scale < 1 || scale > 8) {
    return -1;
  }
  state().result = exporter::table_waterfall(*state().files->table_frames_128(static_cast<std::size_t>(table)), scale).pixels;
  return static_cast<int>(state().result.size());
}

}  // extern "C"
