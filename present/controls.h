#pragma once

#include <cstdint>
#include <string_view>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/glyphs.h"
#include "platform/window_system/messages.h"
#include "platform/window_system/window.h"
#include "present/object_number.h"

namespace present {

struct ControlRecord;

// What the layer does with one kind of control.
struct ControlKind {
  int code;
  std::intptr_t (*set_state)(ControlRecord& record, std::intptr_t value);
};

inline constexpr int push_button_kind_code = 1;
inline constexpr int picture_kind_code = 9;

struct ControlRecord {
  platform::WindowNode* handle = nullptr;
  const ControlKind* kind = nullptr;
  platform::Handler previous_handler;  // what the control did before the layer's handler
  // Pictures: the image shown (never owned), and the state of a left press on it.
  platform::BitmapHandle image = 0;
  bool left_held = false;
  std::int16_t down_x = 0;
  std::int16_t down_y = 0;
};

// The window that receives controls created from now on, and the font controls get.
struct ControlList {
  platform::WindowNode* window = nullptr;
  platform::FontHandle font = 0;
};

// A picture control showing `image` (a handle from image_handle) 1:1; it takes the image's size.
std::intptr_t create_image_view(ObjectNumber number, int x, int y, int width, int height, platform::BitmapHandle image);
std::intptr_t create_push_button(ObjectNumber number, int x, int y, int width, int height, std::string_view caption);

// Passes the value to the control's kind: a picture shows the image with that handle at once and
// returns the handle. Does nothing (and returns 0) for a number that names no control.
std::intptr_t set_control_state(ObjectNumber number, std::intptr_t value);

// Releases a control's record and destroys its native control.
void release_control(ControlRecord& record);

}  // namespace present
