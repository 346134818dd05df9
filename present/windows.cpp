#include "present/windows.h"

#include <string>
#include <vector>

#include "platform/window_system/window_system.h"
#include "present/handlers.h"
#include "present/layer.h"

namespace present {
namespace {

constexpr std::string_view window_mark = "PresentWindowNumber";
constexpr std::string_view control_mark = "PresentControlNumber";

std::string class_name_for(ObjectNumber number) { return "WindowClass_" + std::to_string(number); }

}  // namespace

std::optional<ObjectNumber> window_number_of(const platform::WindowNode& window) {
  return platform::property(window, window_mark);
}

std::optional<ObjectNumber> control_number_of(const platform::WindowNode& window) {
  return platform::property(window, control_mark);
}

void mark_control(platform::WindowNode& control, ObjectNumber number) {
  platform::set_property(control, control_mark, number);
}

void unmark_control(platform::WindowNode& control) { platform::remove_property(control, control_mark); }

std::intptr_t open_window(ObjectNumber number, int x, int y, int inner_width, int inner_height,
                          std::string_view title, std::uint32_t flags) {
  Layer* running = layer();
  if (running == nullptr || !platform::window_system_running()) {
    return 0;
  }
  WindowRecord* record = running->windows.claim(number);
  if (record == nullptr) {
    return 0;
  }
  const ObjectNumber assigned = running->windows.number_of(*record, number);
  const std::string class_name = class_name_for(assigned);
  platform::register_class({class_name, platform::system_colour(platform::SystemColour::ButtonFace), true,
                            [assigned](const platform::Message& message) { return window_handler(assigned, message); }});

  x = window_position(x);
  y = window_position(y);
  inner_width = window_length(inner_width);
  inner_height = window_length(inner_height);
  const std::uint32_t options = flags & layer_options;
  const std::uint32_t style = flags & ~layer_options;
  const platform::Size outer = platform::outer_size({inner_width, inner_height}, style);
  if ((options & CentreOnScreen) != 0) {
    const platform::Point centred = platform::centred_origin({inner_width, inner_height}, style);
    x = centred.x;
    y = centred.y;
  }
  platform::WindowNode* window = platform::create_top_level(class_name, title, style, platform::Rect::at({x, y}, outer));
  if (window == nullptr) {
    platform::unregister_class(class_name);
    running->windows.remove(assigned);
    return 0;
  }
  record->handle = window;
  record->number = assigned;
  platform::set_property(*window, window_mark, assigned);
  platform::show_window(*window);
  record->shortcuts = platform::ShortcutTable({{platform::Key::Tab, platform::NoModifier, focus_next_command},
                                               {platform::Key::Tab, platform::Shift, focus_previous_command}});
  running->control_list.window = window;
  return number == assign_number ? assigned : number_at(window);
}

void close_window(WindowRecord& record) {
  Layer* running = layer();
  platform::WindowNode* window = record.handle;
  // A window the window system no longer has (it stopped, and took its windows with it) is gone
  // with its controls already.
  if (running == nullptr || !platform::is_window(window)) {
    return;
  }
  // Its controls go with it, those made outside the table too: each kind's release runs and each
  // record is freed, so that nothing keeps pointing at the destroyed window.
  std::vector<ObjectNumber> controls;
  running->controls.for_each([&](ObjectNumber number, ControlRecord& control) {
    if (platform::top_level_of(control.handle) == window) {
      controls.push_back(number);
    }
  });
  for (const ObjectNumber number : controls) {
    running->controls.remove(number);
  }
  if (running->control_list.window == window) {
    running->control_list.window = nullptr;
  }
  platform::remove_property(*window, window_mark);
  platform::destroy_window(window);
  platform::unregister_class(class_name_for(record.number));
  record.shortcuts = {};
}

void move_focus(platform::WindowNode& window, bool forward) {
  if (platform::WindowNode* next = platform::next_tab_stop(window, forward)) {
    platform::set_focus(next);
  }
}

}  // namespace present
