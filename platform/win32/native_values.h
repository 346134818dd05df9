#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/graphics/geometry.h"
#include "platform/window_system/messages.h"

namespace platform::win32 {

// What Win32 calls its styles, texts, keys and points, in the window system's terms and back.
DWORD native_style(std::uint32_t style);
// ISO 8859-1 text as the wide characters the window calls take.
std::wstring widen(std::string_view text);
Key key_of(WPARAM virtual_key);
// The modifier keys held at the time of the message being handled.
std::int32_t held_modifiers();
// The point a pointer message carries in its LPARAM.
Point point_of(LPARAM lparam);

}  // namespace platform::win32
