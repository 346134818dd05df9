#pragma once

#include <cstdint>
#include <memory>
#include <memory_resource>
#include <string_view>

#include "platform/graphics/geometry.h"
#include "present/object_number.h"
#include "present/windows.h"
#include "wavedata/sample_bank.h"

namespace viewer {

inline constexpr int first_page = 0;
inline constexpr int last_page = static_cast<int>(wavedata::page_count) - 1;  // 30

inline constexpr std::string_view window_title = "Tablescope for PPG Wave 2.2 Eeproms 64 & 68";
inline constexpr std::uint32_t window_flags =
    present::TitleBar | present::WindowMenu | present::MinimizeBox | present::CentreOnScreen;  // 0xCA0001

// The numbers the viewer gives its objects.
inline constexpr present::ObjectNumber main_window = 0;
inline constexpr present::ObjectNumber page_canvas = 0;
inline constexpr present::ObjectNumber image_view = 0;
inline constexpr present::ObjectNumber previous_button = 1;
inline constexpr present::ObjectNumber next_button = 2;

// Where the buttons lie in the window's inner area.
inline constexpr platform::Rect previous_button_area{870, 320, 940, 345};
inline constexpr platform::Rect next_button_area{950, 320, 1020, 345};

// The program-wide state of the viewer, alive for the whole run.
struct ViewerState {
  std::unique_ptr<std::pmr::memory_resource> heap;  // the presentation layer's records
  int current_page = first_page;
  std::unique_ptr<wavedata::SampleBank> bank;
  present::ObjectNumber font = 0;
  std::int32_t last_event = 0;
};

// Opens the main window with the page canvas, its picture and the two buttons, on a running
// presentation layer. False when any of them cannot be made.
bool open_viewer_window();

// Builds everything in its fixed order on the running window system and shows page 0.
// False when the window cannot be made.
bool start_viewer(ViewerState& state);

// Acts on one event code: "Previous" and "Next" turn the page (clamped, and redrawn even when the
// clamp keeps it); a change of the desktop's resolution redraws it with the label font made anew.
// False when the code is the close event, which ends the loop.
bool handle_event(ViewerState& state, std::int32_t code);

// Waits for events and acts on them until the window is closed.
void run_event_loop(ViewerState& state);

// Ends the presentation layer and gives back its heap.
void shut_down_viewer(ViewerState& state);

}  // namespace viewer
