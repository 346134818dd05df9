#include "platform/win32/button_look.h"

#include <vssym32.h>

#include <cstring>

#include "platform/window_system/window_system.h"

namespace platform {
namespace {

COLORREF colour_ref(Pixel colour) { return RGB(red_of(colour), green_of(colour), blue_of(colour)); }

int theme_state(const ButtonLook& look) {
  if (!look.enabled) {
    return PBS_DISABLED;
  }
  return look.pressed ? PBS_PRESSED : look.focused ? PBS_DEFAULTED : PBS_NORMAL;
}

}  // namespace

ButtonLookPainter::ButtonLookPainter() { reopen_theme(); }

ButtonLookPainter::~ButtonLookPainter() {
  if (theme_ != nullptr) {
    CloseThemeData(theme_);
  }
}

// Whether themes are active is asked of the desktop, never read from a version number.
void ButtonLookPainter::reopen_theme() {
  if (theme_ != nullptr) {
    CloseThemeData(theme_);
    theme_ = nullptr;
  }
  if (IsThemeActive() && IsAppThemed()) {
    theme_ = OpenThemeData(nullptr, L"BUTTON");
  }
}

void ButtonLookPainter::draw(HDC device, const RECT& area, const ButtonLook& look) {
  // The window's background shows around the rounded corners of a themed button.
  HBRUSH background = CreateSolidBrush(colour_ref(system_colour(SystemColour::ButtonFace)));
  FillRect(device, &area, background);
  DeleteObject(background);
  RECT content = area;
  if (theme_ != nullptr) {
    DrawThemeBackground(theme_, device, BP_PUSHBUTTON, theme_state(look), &area, nullptr);
    GetThemeBackgroundContentRect(theme_, device, BP_PUSHBUTTON, theme_state(look), &area, &content);
    InflateRect(&content, -1, -1);
  } else {
    RECT face = area;
    if (look.focused) {
      // The classic look marks the button that takes the keyboard with a black outline.
      FrameRect(device, &face, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      InflateRect(&face, -1, -1);
    }
    DrawFrameControl(device, &face, DFC_BUTTON,
                     DFCS_BUTTONPUSH | (look.pressed ? DFCS_PUSHED | DFCS_FLAT : 0) | (look.enabled ? 0 : DFCS_INACTIVE));
    content = face;
    InflateRect(&content, -3, -3);
  }
  if (look.focused) {
    SetTextColor(device, RGB(0, 0, 0));
    SetBkColor(device, RGB(255, 255, 255));
    DrawFocusRect(device, &content);
  }
}

std::unique_ptr<Bitmap> ButtonLookPainter::face(Size size, const ButtonLook& look) {
  auto face = Bitmap::make(size.width, -size.height, 24);
  HDC device = CreateCompatibleDC(nullptr);
  if (!face || device == nullptr) {
    if (device != nullptr) {
      DeleteDC(device);
    }
    return nullptr;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size.width;
  info.bmiHeader.biHeight = -size.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(device, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) {
    DeleteDC(device);
    return nullptr;
  }
  HGDIOBJ previous = SelectObject(device, bitmap);
  draw(device, RECT{0, 0, size.width, size.height}, look);
  GdiFlush();
  // Both are 24-bit, top-down, with rows padded to four bytes: the same layout.
  std::memcpy(face->pixels(), bits, face->byte_size());
  SelectObject(device, previous);
  DeleteObject(bitmap);
  DeleteDC(device);
  return face;
}

}  // namespace platform
