#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/window_system/window_system.h"
#include "present/drawing/colour.h"
#include "present/object_number.h"

namespace present {

// The flag word of open_window, under the names callers know its flags by: the layer's own options
// in the bits below 0x10, the platform's window style above them.
inline constexpr std::uint32_t CentreOnScreen = 0x00000001;
inline constexpr std::uint32_t TitleBar = 0x00C00000;
inline constexpr std::uint32_t WindowMenu = 0x00080000;
inline constexpr std::uint32_t MinimizeBox = 0x00020000;
inline constexpr std::uint32_t layer_options = 0x0000000F;

// Commands of the two keyboard shortcuts every window has.
inline constexpr std::int32_t focus_next_command = 64001;      // Tab
inline constexpr std::int32_t focus_previous_command = 64002;  // Shift+Tab

// The farthest a window or control reaches: sizes up to this and positions as far either way,
// as on desktops whose coordinates are 16-bit. A caller's numbers are held to it, so that nothing
// worked out from them overflows.
inline constexpr int max_window_extent = 32767;
inline int window_length(int length) { return std::clamp(length, 0, max_window_extent); }
inline int window_position(int position) { return std::clamp(position, -max_window_extent, max_window_extent); }

struct WindowRecord {
  platform::WindowNode* handle = nullptr;
  ObjectNumber number = 0;
  platform::ShortcutTable shortcuts;
  std::optional<Colour> background;  // replaces the class background when set
  bool minimized_or_maximized = false;
};

// Opens a top-level window with an inner area of inner_width x inner_height and shows it.
// Returns the native window (its number for `assign_number`), or 0.
std::intptr_t open_window(ObjectNumber number, int x, int y, int inner_width, int inner_height,
                          std::string_view title, std::uint32_t flags);

// The registry number of a layer window or control, from the mark on its native window.
std::optional<ObjectNumber> window_number_of(const platform::WindowNode& window);
std::optional<ObjectNumber> control_number_of(const platform::WindowNode& window);

void mark_control(platform::WindowNode& control, ObjectNumber number);
void unmark_control(platform::WindowNode& control);

// Closes the window in a record: its controls, its native window, its class.
void close_window(WindowRecord& record);

// Moves the keyboard focus to the next (or previous) enabled, visible tab stop of a window,
// wrapping around; with none focused, to the first (or last).
void move_focus(platform::WindowNode& window, bool forward);

}  // namespace present
