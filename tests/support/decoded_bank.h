#pragma once

#include <memory>

#include "wavedata/decode_waves.h"
#include "wavedata/sample_bank.h"

namespace test_support {

// The waves as the program decodes them at start-up, decoded once for the whole test program: the
// input from which the end-to-end tests work out the pages they expect.
inline const wavedata::SampleBank& decoded_bank() {
  static const auto decoded = [] {
    auto bank = std::make_unique<wavedata::SampleBank>();
    wavedata::decode_waves(wavedata::eprom_image, *bank);
    return bank;
  }();
  return *decoded;
}

}  // namespace test_support
