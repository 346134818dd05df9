#include "platform/graphics/display_dpi.h"

#include "platform/graphics/graphics_state.h"
#include "platform/graphics/scale.h"

namespace platform {

int display_dpi() { return graphics_state().dpi; }

void set_display_dpi(int dpi) { graphics_state().dpi = dpi > 0 ? dpi : ordinary_dpi; }

}  // namespace platform
