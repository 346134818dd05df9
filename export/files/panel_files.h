#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "export/files/file_bytes.h"
#include "export/formats/zip_file.h"
#include "export/sound/frames.h"
#include "export/sound/wavetable_definitions.h"
#include "wavedata/sample_bank.h"

namespace exporter {

// A sound for the page to play: samples of -1 to 1 at a rate of their own.
struct PanelSound {
  double sample_rate = 0.0;
  std::vector<float> samples;
};

// What the web page's panel hands out, made from the decoded bank. Each file has the name and the
// bytes that the export command gives it for the same request, with the defaults of that request:
// the waves as `export waves DIR --bits 16`, the bank as `export bank bank.wav` and `bank.wt`, the
// 256-sample banks as `export banks256 DIR`, a table as `export tables DIR [--container wt]`.
class PanelFiles {
 public:
  explicit PanelFiles(const wavedata::SampleBank& bank);

  ZipEntry wave(std::size_t wave) const;
  ZipEntry bank(Container container) const;
  ZipEntry module_bank(std::size_t number) const;  // 0 to 3: bank-1.wav to bank-4.wav
  // Empty for a table that names a wave the image does not hold, which the export skips too.
  std::optional<ZipEntry> table(std::size_t index, Container container) const;
  // Every file above in one zip: the waves, the 256-sample banks and the tables in folders of
  // their own, the bank at the top.
  ZipEntry everything() const;

  const std::vector<TableDefinition>& tables() const { return tables_; }
  // The table's 61 frames of 128 samples, as its waterfall shows them; empty where it cannot be made.
  std::optional<Frames> table_frames_128(std::size_t index) const;

  // The wave looped at the note: one cycle of the 128 points held, at 128 x f samples a second;
  // band-limited, its harmonics 1 to 63 at as many points a cycle (up to 2048) as keep the rate
  // within 192,000 a second, scaled as a whole to full scale where they would pass it.
  PanelSound wave_sound(std::size_t wave, int note, bool band_limited) const;
  // The table's frames swept through at the note over the time, as the `play` mode plays them.
  std::optional<PanelSound> table_sweep(std::size_t index, int note, double seconds) const;

 private:
  const wavedata::SampleBank& bank_;
  Frames stored_;  // the waves' own 128 points
  std::vector<TableDefinition> tables_;
};

}  // namespace exporter
