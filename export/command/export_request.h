#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>

#include "export/files/file_bytes.h"
#include "export/formats/sample_coding.h"
#include "export/sound/frames.h"

namespace exporter {

enum class ExportMode { Waves, Bank, Tables, Banks256, Page };

// One export, as the command line asks for it.
struct ExportRequest {
  ExportMode mode = ExportMode::Waves;
  std::filesystem::path target;  // the folder, or the file for `bank` and `page`
  int page = 0;
  SampleCoding coding = SampleCoding::Unsigned8;   // single-cycle waves
  std::optional<std::size_t> frame_size;           // unset: the container's own
  Upsampling upsampling = Upsampling::Repeat;
  std::optional<Container> container;              // unset: from the file name, else WAV
  bool force = false;
};

}  // namespace exporter
