#include "present/controls.h"

#include "platform/window_system/controls.h"
#include "platform/window_system/window_system.h"
#include "present/handlers.h"
#include "present/layer.h"

namespace present {
namespace {

// A picture shows its image by reference: the image is neither freed nor changed here. It takes
// the image's size and repaints at once, without erasing, with the image's current pixels.
std::intptr_t show_image(ControlRecord& record, std::intptr_t value) {
  platform::WindowNode& picture = *record.handle;
  record.image = value;
  if (const platform::Bitmap* bitmap = platform::find_bitmap(value)) {
    platform::move_child(picture, platform::Rect::at(picture.bounds().origin(), {bitmap->width(), bitmap->height()}));
  }
  platform::set_picture_image(picture, value);
  platform::invalidate(picture, std::nullopt, false);
  platform::update_window(picture);
  return value;
}

platform::Rect control_area(int x, int y, int width, int height) {
  return platform::Rect::at({window_position(x), window_position(y)}, {window_length(width), window_length(height)});
}

// A push button keeps no state of its own that anything reads.
constexpr ControlKind push_button_kind{push_button_kind_code, nullptr};
constexpr ControlKind picture_kind{picture_kind_code, show_image};

// Creates the native control in the control list's window, then puts it under its number.
ControlRecord* place_control(ObjectNumber number, platform::WindowNode* control, const ControlKind& kind,
                             ObjectNumber& assigned) {
  Layer& running = *layer();
  ControlRecord* record = running.controls.claim(number);
  if (record == nullptr) {
    platform::destroy_window(control);
    return nullptr;
  }
  assigned = running.controls.number_of(*record, number);
  record->handle = control;
  record->kind = &kind;
  platform::set_child_id(*control, assigned);
  mark_control(*control, assigned);
  return record;
}

std::intptr_t result_for(ObjectNumber number, ObjectNumber assigned, platform::WindowNode* control) {
  return number == assign_number ? assigned : number_at(control);
}

}  // namespace

std::intptr_t create_image_view(ObjectNumber number, int x, int y, int width, int height, platform::BitmapHandle image) {
  Layer* running = layer();
  if (running == nullptr || running->control_list.window == nullptr) {
    return 0;
  }
  running->drag_distance = platform::system_metrics().drag_distance;
  platform::WindowNode* control =
      platform::create_child(platform::picture_class, *running->control_list.window, "", platform::style_notify,
                             control_area(x, y, width, height), 0, false);
  if (control == nullptr) {
    return 0;
  }
  ObjectNumber assigned = 0;
  ControlRecord* record = place_control(number, control, picture_kind, assigned);
  if (record == nullptr) {
    return 0;
  }
  record->previous_handler = platform::set_handler(
      *control, [assigned](const platform::Message& message) { return picture_handler(assigned, message); });
  show_image(*record, image);
  return result_for(number, assigned, control);
}

std::intptr_t create_push_button(ObjectNumber number, int x, int y, int width, int height, std::string_view caption) {
  Layer* running = layer();
  if (running == nullptr || running->control_list.window == nullptr) {
    return 0;
  }
  platform::WindowNode* control = platform::create_child(platform::push_button_class, *running->control_list.window,
                                                     caption, 0, control_area(x, y, width, height), 0, true);
  if (control == nullptr) {
    return 0;
  }
  ObjectNumber assigned = 0;
  if (place_control(number, control, push_button_kind, assigned) == nullptr) {
    return 0;
  }
  return result_for(number, assigned, control);
}

std::intptr_t set_control_state(ObjectNumber number, std::intptr_t value) {
  Layer* running = layer();
  ControlRecord* record = running != nullptr ? running->controls.find(number) : nullptr;
  if (record == nullptr || record->kind == nullptr || record->kind->set_state == nullptr) {
    return 0;
  }
  return record->kind->set_state(*record, value);
}

void release_control(ControlRecord& record) {
  if (platform::is_window(record.handle)) {
    unmark_control(*record.handle);
    platform::destroy_window(record.handle);
  }
}

}  // namespace present
