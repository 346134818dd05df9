#pragma once

#include <cstdint>
#include <functional>

namespace platform {

class PaintContext;
class Window;

// The window system's own message codes. They start well above the codes a caller of the
// presentation layer treats as events, so that a raw message can never be mistaken for one.
enum class MessageCode : std::int32_t {
  Destroy = 0x200,       // sent to a window, then to its children, before they go
  Paint,                 // the window has an area to paint; begin_paint gives the context
  EraseBackground,       // sent inside begin_paint when erasing was asked for; paint: the context
  Close,                 // the user asked to close the window
  Move,                  // first, second: the inner area's new top-left on the screen
  SizeState,             // first: a SizeKind
  Activate,              // first: 1 when the window became active, 0 when it stopped being
  SetFocus,              // the window got the keyboard focus
  KillFocus,             // the window lost the keyboard focus
  Command,               // to a parent: first, the notification code; second, the control's id
  ShortcutCommand,       // first: the command of a shortcut table entry
  MouseMove,             // first, second: x and y in the window's inner coordinates
  LeftDown,
  LeftUp,
  LeftDoubleClick,
  RightDown,
  RightUp,
  RightDoubleClick,
  KeyDown,               // first: a Key; second: the Modifiers held
  KeyUp,
  CaptureLost,
  ColourSchemeChanged,
};

enum class SizeKind : std::int32_t { Restored = 0, Minimized = 1, Maximized = 2 };

enum class Key : std::int32_t { Other = 0, Tab, Space };

enum Modifiers : std::int32_t { NoModifier = 0, Shift = 1, Control = 2, Alt = 4 };

// Notification codes of controls in Command messages.
inline constexpr std::int32_t notify_clicked = 0;
inline constexpr std::int32_t notify_double_clicked = 1;

struct Message {
  Window* window = nullptr;
  MessageCode code = MessageCode::Paint;
  std::intptr_t first = 0;
  std::intptr_t second = 0;
  PaintContext* paint = nullptr;  // EraseBackground, which only begin_paint sends: the painting under way
};

// A window's message handler. What it returns is the answer of send.
using Handler = std::function<std::intptr_t(const Message&)>;

}  // namespace platform
