#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>

namespace exporter {

// Samples travel as levels: the decoded point v less 128, so -128 to 128 for stored waves, and any
// value in between for crossfaded or upsampled ones. They are rounded only when written as integers.
enum class SampleCoding { Unsigned8, Signed16, Float32 };

inline std::uint8_t unsigned8_sample(double level) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(level + 128.0), 0L, 255L));
}

inline std::int16_t signed16_sample(double level) {
  return static_cast<std::int16_t>(std::clamp(std::lround(level * 256.0), -32768L, 32767L));
}

inline float float32_sample(double level) { return static_cast<float>(level / 128.0); }

inline int bits_per_sample(SampleCoding coding) {
  return coding == SampleCoding::Unsigned8 ? 8 : coding == SampleCoding::Signed16 ? 16 : 32;
}

// The peak of the levels as a share of full scale in the coding: the larger of the highest level's
// share of the highest the coding holds and the lowest level's share of the lowest; above 1 some
// would be clipped.
double full_scale_share(std::span<const double> levels, SampleCoding coding);

class ByteBuffer;

// Appends the levels as samples of the coding, little-endian.
void put_samples(ByteBuffer& out, std::span<const double> levels, SampleCoding coding);

}  // namespace exporter
