#pragma once

#include "platform/graphics/bitmap.h"
#include "platform/window_system/window.h"

namespace platform {

// Registers the push button and picture classes; the window system does it when it starts.
void register_built_in_controls();

// The bitmap a picture control shows 1:1 at its top-left corner. The control never owns it.
void set_picture_image(WindowNode& picture, BitmapHandle image);

// Whether a push button shows its pressed look.
bool button_pressed(const WindowNode& button);

}  // namespace platform
