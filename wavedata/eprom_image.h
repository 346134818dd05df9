#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace wavedata {

// The wave EPROMs 64 and 68 of the PPG Wave 2.2 as one block: a 768-byte head (the instrument's
// wavetable definitions, never read here) followed by the wave area of 64-byte half-cycles.
inline constexpr std::size_t eprom_size = 16384;
inline constexpr std::size_t wave_area_offset = 0x300;
inline constexpr std::size_t half_cycle_bytes = 64;
inline constexpr std::size_t stored_waves = (eprom_size - wave_area_offset) / half_cycle_bytes;  // 244

using EpromImage = std::array<std::uint8_t, eprom_size>;

// The instrument's image, compiled into the program.
extern const EpromImage eprom_image;

}  // namespace wavedata
