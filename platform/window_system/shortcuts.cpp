#include "platform/window_system/shortcuts.h"

#include <algorithm>

#include "platform/window_system/window_system.h"

namespace platform {

bool ShortcutTable::translate(WindowNode& window, const Message& message) const {
  if (message.code != MessageCode::KeyDown) {
    return false;
  }
  const KeyStroke& stroke = message.as<KeyStroke>();
  const auto entry = std::find_if(entries_.begin(), entries_.end(), [&stroke](const Shortcut& shortcut) {
    return shortcut.key == stroke.key && shortcut.modifiers == stroke.modifiers;
  });
  if (entry == entries_.end()) {
    return false;
  }
  send(&window, MessageCode::ShortcutCommand, ShortcutCommand{entry->command});
  return true;
}

}  // namespace platform
