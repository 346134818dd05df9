#pragma once

#include <cassert>
#include <cstdint>
#include <functional>
#include <variant>

#include "platform/graphics/geometry.h"

namespace platform {

class PaintContext;
class WindowNode;

// The window system's own message codes. They start well above the codes a caller of the
// presentation layer treats as events, so that a raw message can never be mistaken for one.
enum class MessageCode : std::int32_t {
  Destroy = 0x200,       // sent to a window, then to its children, before they go
  Paint,                 // the window has an area to paint; begin_paint gives the context
  EraseBackground,       // sent inside begin_paint when erasing was asked for; paint: the context
  Close,                 // the user asked to close the window
  Move,                  // Point: the inner area's new top-left on the screen
  SizeState,             // SizeKind
  Activate,              // Activation
  SetFocus,              // the window got the keyboard focus
  KillFocus,             // the window lost the keyboard focus
  Command,               // to a parent: ControlNotice
  ShortcutCommand,       // ShortcutCommand: the command of a shortcut table entry
  MouseMove,             // Point: in the window's inner coordinates, as for the buttons below
  LeftDown,
  LeftUp,
  LeftDoubleClick,
  RightDown,
  RightUp,
  RightDoubleClick,
  KeyDown,               // KeyStroke
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

// What a message carries, by its code.
struct KeyStroke {
  Key key = Key::Other;
  std::int32_t modifiers = NoModifier;  // the Modifiers held
  friend bool operator==(const KeyStroke&, const KeyStroke&) = default;
};
struct Activation {
  bool active = false;  // the window became active, or stopped being
  friend bool operator==(const Activation&, const Activation&) = default;
};
struct ControlNotice {
  std::int32_t notification = notify_clicked;
  std::intptr_t id = 0;  // the control's identifier
  friend bool operator==(const ControlNotice&, const ControlNotice&) = default;
};
struct ShortcutCommand {
  std::int32_t command = 0;
  friend bool operator==(const ShortcutCommand&, const ShortcutCommand&) = default;
};
using Payload = std::variant<std::monostate, Point, KeyStroke, SizeKind, Activation, ControlNotice, ShortcutCommand>;

struct Message {
  WindowNode* window = nullptr;
  MessageCode code = MessageCode::Paint;
  Payload payload = std::monostate{};
  PaintContext* paint = nullptr;  // EraseBackground, which only begin_paint sends: the painting under way

  // The payload, which a handler asks for by the message's code: asking for another kind is a
  // fault of the handler.
  template <typename Kind>
  const Kind& as() const {
    assert(std::holds_alternative<Kind>(payload) && "the payload that the message's code carries");
    return std::get<Kind>(payload);
  }
};

// The payload as the two numbers a desktop's own message would carry it in: x and y, key and
// modifiers, notification and identifier, a state or a command and 0; 0 and 0 without a payload.
struct RawParameters {
  std::intptr_t first = 0;
  std::intptr_t second = 0;
};
RawParameters raw_parameters(const Payload& payload);

// A window's message handler. What it returns is the answer of send.
using Handler = std::function<std::intptr_t(const Message&)>;

}  // namespace platform
