#pragma once

namespace platform {

// The resolution in dots per inch that fonts sized in layout pixels are made for: layout_dpi of
// what the display backend found (the desktop's Xft.dpi setting on X11), else the ordinary 96.
int display_dpi();
void set_display_dpi(int dpi);

}  // namespace platform
