#pragma once

#include <cstdint>
#include <memory>
#include <memory_resource>

#include "present/object_number.h"
#include "wavedata/sample_bank.h"

namespace viewer {

inline constexpr int first_page = 0;
inline constexpr int last_page = static_cast<int>(wavedata::page_count) - 1;  // 30

// The program-wide state of the viewer, alive for the whole run.
struct ViewerState {
  std::unique_ptr<std::pmr::memory_resource> heap;  // the presentation layer's records
  int current_page = first_page;
  std::unique_ptr<wavedata::SampleBank> bank;
  present::ObjectNumber font = 0;
  std::int32_t last_event = 0;
};

// Builds everything in its fixed order on the running window system and shows page 0.
// False when the window cannot be made.
bool start_viewer(ViewerState& state);

// Acts on one event code: "Previous" and "Next" turn the page (clamped, and redrawn even when the
// clamp keeps it). False when the code is the close event, which ends the loop.
bool handle_event(ViewerState& state, std::int32_t code);

// Waits for events and acts on them until the window is closed.
void run_event_loop(ViewerState& state);

// Ends the presentation layer and gives back its heap.
void shut_down_viewer(ViewerState& state);

}  // namespace viewer
