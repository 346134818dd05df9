#pragma once

namespace platform {

// The display's resolution in dots per inch: what the display backend found (the desktop's
// Xft.dpi setting on X11), else the ordinary 96.
int display_dpi();
void set_display_dpi(int dpi);

}  // namespace platform
