#pragma once

#include "present/drawing/colour.h"

namespace present {

// Drawing into the current session, from image_output on; without one these do nothing. Boxes and lines
// are cut at the image's edges; a pixel outside the image is ignored.
void fill_box(int x, int y, int width, int height, Colour colour);
void draw_line(int x1, int y1, int x2, int y2, Colour colour);
void plot_pixel(int x, int y, Colour colour);

}  // namespace present
