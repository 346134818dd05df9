#pragma once

#include <cstdint>
#include <vector>

#include "platform/window_system/messages.h"

namespace platform {

struct Shortcut {
  Key key;
  std::int32_t modifiers;  // exactly these held, no others
  std::int32_t command;
};

// Keyboard shortcuts of a window: a key press that matches an entry becomes a ShortcutCommand
// message to that window instead of going to the focused control.
class ShortcutTable {
 public:
  ShortcutTable() = default;
  explicit ShortcutTable(std::vector<Shortcut> entries) : entries_(std::move(entries)) {}

  // Sends the command of the entry matching the key press, if any, to `window`; true when sent.
  bool translate(WindowNode& window, const Message& message) const;

 private:
  std::vector<Shortcut> entries_;
};

}  // namespace platform
