#include <benchmark/benchmark.h>

#include <memory>

#include "wavedata/decode_waves.h"

namespace {

void decode_all_waves(benchmark::State& state) {
  auto bank = std::make_unique<wavedata::SampleBank>();
  for (auto _ : state) {
    wavedata::decode_waves(wavedata::eprom_image, *bank);
    benchmark::DoNotOptimize(bank->words.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(decode_all_waves);

}  // namespace
