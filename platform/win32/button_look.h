#pragma once

#include <windows.h>
#include <uxtheme.h>

#include <memory>

#include "platform/graphics/bitmap.h"
#include "platform/window_system/seam.h"

namespace platform {

// Push buttons drawn by the desktop: in its visual style where themes are active, with the
// classic raised frame otherwise; the focus ring either way.
class ButtonLookPainter {
 public:
  ButtonLookPainter();
  ~ButtonLookPainter();
  ButtonLookPainter(const ButtonLookPainter&) = delete;
  ButtonLookPainter& operator=(const ButtonLookPainter&) = delete;

  // The desktop's theme may have changed: asks for the current one.
  void reopen_theme();
  std::unique_ptr<Bitmap> face(Size size, const ButtonLook& look);

 private:
  void draw(HDC device, const RECT& area, const ButtonLook& look);

  HTHEME theme_ = nullptr;
};

}  // namespace platform
