#include "present/drawing/primitives.h"

#include "present/drawing/drawing_session.h"

namespace present {

void fill_box(int x, int y, int width, int height, Colour colour) {
  if (DrawingSession* session = current_session()) {
    use_front_colour(*session, colour);
    session->operations->fill_box(*session, x, y, width, height);
  }
}

void draw_line(int x1, int y1, int x2, int y2, Colour colour) {
  if (DrawingSession* session = current_session()) {
    use_front_colour(*session, colour);
    session->operations->draw_line(*session, x1, y1, x2, y2);
  }
}

void plot_pixel(int x, int y, Colour colour) {
  if (DrawingSession* session = current_session()) {
    session->operations->plot_pixel(*session, x, y, colour);
  }
}

}  // namespace present
