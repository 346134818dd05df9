#include "export/formats/sample_coding.h"

#include <algorithm>
#include <cstring>

#include "export/formats/byte_buffer.h"

namespace exporter {
namespace {

// Stores of single bytes that the compiler merges into one store on little-endian machines.
void store_u16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void store_u32(std::uint8_t* at, std::uint32_t value) {
  store_u16(at, static_cast<std::uint16_t>(value));
  store_u16(at + 2, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace

double full_scale_share(std::span<const double> levels, SampleCoding coding) {
  // The levels that the integer codings write as their highest and lowest values; floats hold -1 to 1.
  const double highest = coding == SampleCoding::Unsigned8 ? 127.0 : coding == SampleCoding::Signed16 ? 32767.0 / 256.0 : 128.0;
  constexpr double lowest = -128.0;
  double share = 0.0;
  for (const double level : levels) {
    share = std::max(share, level > 0.0 ? level / highest : level / lowest);
  }
  return share;
}

void put_samples(ByteBuffer& out, std::span<const double> levels, SampleCoding coding) {
  std::uint8_t* at = out.extend(levels.size() * static_cast<std::size_t>(bits_per_sample(coding) / 8));
  switch (coding) {
    case SampleCoding::Unsigned8:
      for (const double level : levels) *at++ = unsigned8_sample(level);
      break;
    case SampleCoding::Signed16:
      for (const double level : levels) {
        store_u16(at, static_cast<std::uint16_t>(signed16_sample(level)));
        at += 2;
      }
      break;
    case SampleCoding::Float32:
      for (const double level : levels) {
        // The float's bits; the web build's libc++ has no std::bit_cast.
        const float sample = float32_sample(level);
        std::uint32_t bits = 0;
        std::memcpy(&bits, &sample, sizeof bits);
        store_u32(at, bits);
        at += 4;
      }
      break;
  }
}

}  // namespace exporter
