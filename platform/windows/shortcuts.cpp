#include "platform/windows/shortcuts.h"

#include <algorithm>

#include "platform/windows/window_system.h"

namespace platform {

bool ShortcutTable::translate(Window& window, const Message& message) const {
  if (message.code != MessageCode::KeyDown) {
    return false;
  }
  const auto entry = std::find_if(entries_.begin(), entries_.end(), [&message](const Shortcut& shortcut) {
    return static_cast<std::intptr_t>(shortcut.key) == message.first && shortcut.modifiers == message.second;
  });
  if (entry == entries_.end()) {
    return false;
  }
  send(&window, MessageCode::ShortcutCommand, entry->command);
  return true;
}

}  // namespace platform
