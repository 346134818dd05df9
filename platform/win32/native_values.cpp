#include "platform/win32/native_values.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/window_system/window.h"

namespace platform::win32 {
namespace {

// The window system's caption and frame bits are Win32's own: they pass through unchanged.
constexpr std::uint32_t frame_styles =
    style_title_bar | style_window_menu | style_minimize_box | style_maximize_box | style_sizing_border;

}  // namespace

DWORD native_style(std::uint32_t style) {
  const DWORD frame = style & frame_styles;
  return (style & style_title_bar) != 0 ? frame : frame | WS_POPUP;
}

// ISO 8859-1 characters are the first 256 code points of Unicode.
std::wstring widen(std::string_view text) {
  std::wstring wide(text.size(), L'\0');
  std::transform(text.begin(), text.end(), wide.begin(), [](char c) { return static_cast<unsigned char>(c); });
  return wide;
}

Key key_of(WPARAM virtual_key) {
  switch (virtual_key) {
    case VK_TAB:
      return Key::Tab;
    case VK_SPACE:
      return Key::Space;
    default:
      return Key::Other;
  }
}

std::int32_t held_modifiers() {
  std::int32_t modifiers = NoModifier;
  if (GetKeyState(VK_SHIFT) < 0) modifiers |= Shift;
  if (GetKeyState(VK_CONTROL) < 0) modifiers |= Control;
  if (GetKeyState(VK_MENU) < 0) modifiers |= Alt;
  return modifiers;
}

Point point_of(LPARAM lparam) { return {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)}; }

}  // namespace platform::win32
