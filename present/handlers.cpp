#include "present/handlers.h"

#include <cstdlib>
#include <tuple>
#include <utility>

#include "platform/window_system/window_system.h"
#include "present/layer.h"

namespace present {
namespace {

constexpr std::string_view focus_memory = "PresentFocusedControl";

void queue(Layer& layer, std::int32_t code, ObjectNumber control, ObjectNumber window, std::int32_t type = 0) {
  layer.events.add({code, control, window, type});
}

// The focused control is remembered by its number, so that a control destroyed in the meantime
// is never given the focus back.
void remember_focus(platform::WindowNode& window) {
  platform::WindowNode* focused = platform::focus();
  const auto number = focused != nullptr && platform::top_level_of(focused) == &window ? control_number_of(*focused)
                                                                                       : std::nullopt;
  if (number) {
    platform::set_property(window, focus_memory, *number);
  } else {
    platform::remove_property(window, focus_memory);
  }
}

void restore_focus(Layer& layer, platform::WindowNode& window) {
  const auto remembered = platform::property(window, focus_memory);
  const ControlRecord* control = remembered ? layer.controls.find(*remembered) : nullptr;
  if (control != nullptr && platform::top_level_of(control->handle) == &window) {
    platform::set_focus(control->handle);
  }
}

void size_changed(Layer& layer, WindowRecord& record, platform::SizeKind kind) {
  const ObjectNumber number = record.number;
  switch (kind) {
    case platform::SizeKind::Minimized:
      record.minimized_or_maximized = true;
      queue(layer, MinimizeEvent, 0, number);
      break;
    case platform::SizeKind::Restored:
      if (record.minimized_or_maximized) {
        record.minimized_or_maximized = false;
        queue(layer, RestoreEvent, 0, number);
      }
      queue(layer, SizeEvent, 0, number);
      break;
    case platform::SizeKind::Maximized:
      record.minimized_or_maximized = true;
      queue(layer, SizeEvent, 0, number);
      break;
  }
}

void control_command(Layer& layer, const platform::Message& message) {
  const platform::ControlNotice& notice = message.as<platform::ControlNotice>();
  platform::WindowNode* source = platform::child_with_id(*message.window, notice.id);
  const auto number = source != nullptr ? control_number_of(*source) : std::nullopt;
  if (!number || layer.controls.find(*number) == nullptr) {
    return;
  }
  layer.current.pending = ControlEvent;
  layer.current.control = *number;
  layer.current.type = notice.notification;
}

}  // namespace

std::intptr_t window_handler(ObjectNumber window_number, const platform::Message& message) {
  Layer* running = layer();
  WindowRecord* record = running != nullptr ? running->windows.find(window_number) : nullptr;
  if (record == nullptr || record->handle != message.window) {
    // Not yet (or no longer) a window of the layer: nothing to report.
    return platform::default_handling(message);
  }
  Layer& layer = *running;
  platform::WindowNode& window = *message.window;
  layer.current.window = window_number;
  switch (message.code) {
    case platform::MessageCode::Close:
      // Only reported: the window stays until the layer ends.
      queue(layer, CloseEvent, window_number, window_number);
      return 0;
    case platform::MessageCode::Move:
      queue(layer, MoveEvent, window_number, window_number);
      return platform::default_handling(message);
    case platform::MessageCode::SizeState:
      size_changed(layer, *record, message.as<platform::SizeKind>());
      return platform::default_handling(message);
    case platform::MessageCode::Activate:
      if (message.as<platform::Activation>().active) {
        restore_focus(layer, window);
        queue(layer, ActivateEvent, 0, window_number);
      } else {
        remember_focus(window);
      }
      return 0;
    case platform::MessageCode::EraseBackground: {
      const platform::Pixel background =
          record->background ? to_pixel(*record->background) : window.window_class()->background;
      platform::erase_context(message).fill(platform::Rect::at({0, 0}, window.bounds().size()), background);
      queue(layer, RepaintEvent, 0, window_number);
      return 1;
    }
    case platform::MessageCode::Command:
      control_command(layer, message);
      return 0;
    case platform::MessageCode::ShortcutCommand:
      if (const std::int32_t command = message.as<platform::ShortcutCommand>().command;
          command == focus_next_command || command == focus_previous_command) {
        move_focus(window, command == focus_next_command);
      }
      return 0;
    case platform::MessageCode::ColourSchemeChanged:
      for (platform::WindowNode* child : window.children()) {
        platform::send(child, platform::MessageCode::ColourSchemeChanged);
      }
      return platform::default_handling(message);
    default:
      return platform::default_handling(message);
  }
}

std::intptr_t picture_handler(ObjectNumber control_number, const platform::Message& message) {
  Layer* running = layer();
  ControlRecord* record = running != nullptr ? running->controls.find(control_number) : nullptr;
  if (record == nullptr || record->handle != message.window) {
    return platform::default_handling(message);
  }
  Layer& layer = *running;
  // Kept before anything below can change the registry.
  const platform::Handler pass_on = record->previous_handler;
  platform::WindowNode* top = platform::top_level_of(message.window);
  const ObjectNumber window_number = window_number_of(*top).value_or(0);
  // The picture keeps the press where it was as 16-bit numbers, as a desktop's messages carry it.
  const auto pointer = [&message] {
    const platform::Point at = message.as<platform::Point>();
    return std::pair{static_cast<std::int16_t>(at.x), static_cast<std::int16_t>(at.y)};
  };
  switch (message.code) {
    case platform::MessageCode::LeftDown:
      record->left_held = true;
      std::tie(record->down_x, record->down_y) = pointer();
      platform::set_capture(message.window);
      return pass_on(message);
    case platform::MessageCode::MouseMove:
      if (const auto [x, y] = pointer();
          record->left_held && (std::abs(x - record->down_x) > layer.drag_distance.width ||
                                std::abs(y - record->down_y) > layer.drag_distance.height)) {
        record->left_held = false;
        platform::release_capture();
        queue(layer, ControlEvent, control_number, window_number, drag_start_type);
      }
      return pass_on(message);
    case platform::MessageCode::LeftUp:
      if (record->left_held) {
        record->left_held = false;
        platform::release_capture();
      }
      return pass_on(message);
    case platform::MessageCode::LeftDoubleClick:
      queue(layer, ControlEvent, control_number, window_number, double_click_type);
      return 0;
    case platform::MessageCode::RightUp:
      if (layer.swallow_right_up) {
        layer.swallow_right_up = false;
      } else {
        queue(layer, ControlEvent, control_number, window_number, right_click_type);
      }
      return 0;
    case platform::MessageCode::RightDoubleClick:
      queue(layer, ControlEvent, control_number, window_number, right_double_click_type);
      layer.swallow_right_up = true;
      return 0;
    default:
      return pass_on(message);
  }
}

}  // namespace present
