#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <vector>

#include "export/command/export_modes.h"
#include "wavedata/decode_waves.h"

namespace {

using exporter::Container;
using exporter::ExportMode;
using exporter::ExportRequest;
using exporter::SampleCoding;
using exporter::Upsampling;

// Everything there is to export, in every format, with the costliest upsampling, as a user exports
// it into empty folders.
std::vector<ExportRequest> every_export(const std::filesystem::path& folder) {
  std::vector<ExportRequest> requests;
  auto add = [&](ExportMode mode, const std::string& target, auto&& adjust) {
    ExportRequest request;
    request.mode = mode;
    request.target = folder / target;
    request.upsampling = Upsampling::Spectral;
    adjust(request);
    requests.push_back(request);
  };
  for (const SampleCoding coding : {SampleCoding::Unsigned8, SampleCoding::Signed16, SampleCoding::Float32}) {
    const std::string name = "waves-" + std::to_string(exporter::bits_per_sample(coding));
    add(ExportMode::Waves, name, [=](ExportRequest& r) { r.coding = coding; });
  }
  for (const std::size_t frame : {128u, 2048u}) {
    for (const Container container : {Container::Wav, Container::Wt}) {
      const std::string name = std::string(container == Container::Wav ? "wav-" : "wt-") + std::to_string(frame);
      add(ExportMode::Bank, "bank-" + name + (container == Container::Wav ? ".wav" : ".wt"),
          [=](ExportRequest& r) { r.container = container; r.frame_size = frame; });
      add(ExportMode::Tables, "tables-" + name, [=](ExportRequest& r) { r.container = container; r.frame_size = frame; });
    }
  }
  add(ExportMode::Banks256, "banks256", [](ExportRequest&) {});
  return requests;
}

struct ExportFolder {
  std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("tablescope-export-bench-" + std::to_string(std::random_device{}()));
  ~ExportFolder() { std::filesystem::remove_all(path); }

  // Empties the folder and makes the folders the exports write into. Both benchmarks create every
  // file anew: replacing the files of the round before would time the file system's reuse of
  // just-deleted inodes more than the writing.
  void empty(const std::vector<ExportRequest>& requests) const {
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    for (const ExportRequest& request : requests) {
      if (request.mode != ExportMode::Bank) std::filesystem::create_directories(request.target);
    }
  }
};

void export_everything(const std::vector<ExportRequest>& requests, const wavedata::SampleBank& bank) {
  std::FILE* notes = std::fopen("/dev/null", "w");
  for (const ExportRequest& request : requests) {
    exporter::run_export_request(request, bank, notes);
  }
  std::fclose(notes);
}

std::size_t bytes_in(const std::filesystem::path& folder) {
  std::size_t total = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) total += entry.file_size();
  }
  return total;
}

void BM_ExportEverything(benchmark::State& state) {
  const ExportFolder folder;
  auto bank = std::make_unique<wavedata::SampleBank>();
  wavedata::decode_waves(wavedata::eprom_image, *bank);
  const std::vector<ExportRequest> requests = every_export(folder.path);
  for (auto _ : state) {
    state.PauseTiming();
    folder.empty(requests);
    state.ResumeTiming();
    export_everything(requests, *bank);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes_in(folder.path)));
}
BENCHMARK(BM_ExportEverything)->Unit(benchmark::kMillisecond);

// The floor: the same files, of the same sizes, each written with one fwrite.
void BM_FwriteSameBytes(benchmark::State& state) {
  const ExportFolder folder;
  auto bank = std::make_unique<wavedata::SampleBank>();
  wavedata::decode_waves(wavedata::eprom_image, *bank);
  const std::vector<ExportRequest> requests = every_export(folder.path);
  folder.empty(requests);
  export_everything(requests, *bank);
  std::vector<std::pair<std::filesystem::path, std::size_t>> files;
  std::size_t largest = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path)) {
    if (entry.is_regular_file()) {
      files.emplace_back(entry.path(), entry.file_size());
      largest = std::max<std::size_t>(largest, entry.file_size());
    }
  }
  const std::vector<char> bytes(largest, 'x');
  std::size_t total = 0;
  for (auto _ : state) {
    state.PauseTiming();
    folder.empty(requests);
    state.ResumeTiming();
    total = 0;
    for (const auto& [path, size] : files) {
      std::FILE* file = std::fopen(path.c_str(), "wb");
      total += std::fwrite(bytes.data(), 1, size, file);
      std::fclose(file);
    }
  }
  state.counters["files"] = static_cast<double>(files.size());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * total));
}
BENCHMARK(BM_FwriteSameBytes)->Unit(benchmark::kMillisecond);

}  // namespace
