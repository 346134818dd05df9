#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "wavedata/eprom_image.h"

namespace wavedata {

inline constexpr std::size_t wave_points = 2 * half_cycle_bytes;  // 128
inline constexpr std::size_t waves_per_page = 8;
inline constexpr std::size_t page_count = (stored_waves + waves_per_page - 1) / waves_per_page;  // 31
// Pages read whole: the last page ends with slots that no block fills and that read as zeros.
inline constexpr std::size_t wave_slots = page_count * waves_per_page;  // 248

// Full single-cycle waves of 128 signed 16-bit points, wave w at word 128 w.
struct SampleBank {
  std::array<std::int16_t, wave_slots * wave_points> words{};

  std::span<const std::int16_t, wave_points> wave(std::size_t number) const {
    return std::span<const std::int16_t, wave_points>(words.data() + number * wave_points, wave_points);
  }
};

}  // namespace wavedata
