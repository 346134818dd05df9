#pragma once

namespace platform {

// The resolution in dots per inch that fonts sized in layout pixels are made for, and that
// load_font reads: text_dpi(1), 96, whatever the desktop's, since such text is magnified with its
// window (scale.h). Tests set others to see how font sizes follow it.
int display_dpi();
void set_display_dpi(int dpi);

}  // namespace platform
