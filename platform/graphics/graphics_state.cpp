#include "platform/graphics/graphics_state.h"

namespace platform {

GraphicsState& graphics_state() {
  static GraphicsState state;
  return state;
}

int display_dpi() { return graphics_state().dpi; }

void set_display_dpi(int dpi) { graphics_state().dpi = dpi > 0 ? dpi : ordinary_dpi; }

}  // namespace platform
