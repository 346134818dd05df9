#include "export/command/export_modes.h"

#include <functional>
#include <string>
#include <vector>

#include "export/failures.h"
#include "export/formats/png_file.h"
#include "export/output/output_file.h"
#include "export/picture/page_picture.h"
#include "export/sound/wavetable_definitions.h"
#include "page/labels.h"
#include "wavedata/eprom_image.h"

namespace exporter {
namespace {

// A file to write and how to make its bytes; the bytes are made only when its turn comes.
struct PlannedFile {
  std::filesystem::path path;
  std::function<std::vector<std::uint8_t>()> bytes;
};

void write_planned(const std::vector<PlannedFile>& files, bool force) {
  if (!force) {
    for (const PlannedFile& file : files) {
      std::error_code ignored;
      if (std::filesystem::exists(std::filesystem::symlink_status(file.path, ignored))) {
        throw ExportFailure(display_name(file.path) + " exists; add --force to replace it");
      }
    }
  }
  for (const PlannedFile& file : files) {
    write_file_atomically(file.path, file.bytes(), force);
  }
}

std::filesystem::path numbered(const std::filesystem::path& folder, const std::string& stem, std::size_t number,
                               int digits, const std::string& extension) {
  return folder / path_from_utf8(stem + page::pad_left(page::decimal_text(static_cast<std::int64_t>(number)), digits, "0") + extension);
}

// Spectral upsampling rings past the stored waves' range where they step; a file that would pass
// full scale is scaled as a whole, by one factor, so that it peaks at full scale, and says so.
void fit_spectral_file(std::span<double> levels, const ExportRequest& request, SampleCoding coding,
                       const std::filesystem::path& path, std::FILE* notes) {
  if (request.upsampling != Upsampling::Spectral) {
    return;
  }
  if (const double share = fit_to_full_scale(levels, coding); share > 0.0) {
    std::fprintf(notes, "tablescope: scaled %s by %.4f: its spectral upsampling peaks at %.3f times full scale\n",
                 display_name(path).c_str(), 1.0 / share, share);
  }
}

std::vector<PlannedFile> plan_waves(const ExportRequest& request, const Frames& frames) {
  std::vector<PlannedFile> files;
  for (std::size_t wave = 0; wave < wavedata::stored_waves; ++wave) {
    files.push_back({numbered(request.target, "wave-", wave, 3, ".wav"), [&frames, &request, wave] {
                       return single_cycle_file(frames.frame(wave), request.coding);
                     }});
  }
  return files;
}

std::vector<PlannedFile> plan_bank(const ExportRequest& request, const wavedata::SampleBank& bank, std::FILE* notes) {
  const Container container = request.container.value_or(Container::Wav);
  const std::size_t frame_size = request.frame_size.value_or(default_frame(container));
  return {{request.target, [&bank, &request, container, frame_size, notes] {
             Frames frames = bank_frames(bank, frame_size, request.upsampling);
             fit_spectral_file(frames.levels, request, SampleCoding::Float32, request.target, notes);
             return wavetable_file(frames, container, false);
           }}};
}

std::vector<PlannedFile> plan_tables(const ExportRequest& request, const Frames& frames, std::FILE* notes) {
  const Container container = request.container.value_or(Container::Wav);
  const std::string extension = container == Container::Wav ? ".wav" : ".wt";
  const std::vector<TableDefinition> tables = wavetable_definitions(wavedata::eprom_image);
  std::vector<PlannedFile> files;
  for (std::size_t index = 0; index < tables.size(); ++index) {
    if (const auto wave = missing_key_wave(tables[index])) {
      std::fprintf(notes, "tablescope: skipped table %02zu: it names wave %zu, which the image does not hold\n", index,
                   *wave);
      continue;
    }
    const std::filesystem::path path = numbered(request.target, "table-", index, 2, extension);
    files.push_back({path, [&frames, &request, container, notes, path, table = tables[index]] {
                       Frames table_file = table_frames(frames, table);
                       fit_spectral_file(table_file.levels, request, SampleCoding::Float32, path, notes);
                       return wavetable_file(table_file, container, true);
                     }});
  }
  return files;
}

std::vector<PlannedFile> plan_banks256(const ExportRequest& request, const Frames& frames, std::FILE* notes) {
  std::vector<PlannedFile> files;
  for (std::size_t number = 0; number < module_banks; ++number) {
    const std::filesystem::path path = numbered(request.target, "bank-", number + 1, 1, ".wav");
    files.push_back({path, [&frames, &request, number, notes, path] {
                       std::vector<double> levels = module_bank_levels(frames, number);
                       fit_spectral_file(levels, request, SampleCoding::Signed16, path, notes);
                       return module_bank_file(levels);
                     }});
  }
  return files;
}

std::vector<PlannedFile> plan_page(const ExportRequest& request, const wavedata::SampleBank& bank) {
  return {{request.target, [&bank, &request] {
             const RgbPicture picture = page_picture(bank, request.page);
             if (picture.pixels.empty()) {
               throw ExportFailure(std::string("could not draw page ") + std::to_string(request.page));
             }
             return png_file(picture);
           }}};
}

}  // namespace

void run_export_request(const ExportRequest& request, const wavedata::SampleBank& bank, std::FILE* notes) {
  switch (request.mode) {
    case ExportMode::Waves: {
      const Frames frames = bank_frames(bank, wavedata::wave_points, Upsampling::Repeat);
      write_planned(plan_waves(request, frames), request.force);
      break;
    }
    case ExportMode::Bank:
      write_planned(plan_bank(request, bank, notes), request.force);
      break;
    case ExportMode::Tables: {
      const Container container = request.container.value_or(Container::Wav);
      const Frames frames = bank_frames(bank, request.frame_size.value_or(default_frame(container)), request.upsampling);
      write_planned(plan_tables(request, frames, notes), request.force);
      break;
    }
    case ExportMode::Banks256: {
      const Frames frames = module_bank_frames(bank, request.upsampling);
      write_planned(plan_banks256(request, frames, notes), request.force);
      break;
    }
    case ExportMode::Page:
      write_planned(plan_page(request, bank), request.force);
      break;
  }
}

}  // namespace exporter
