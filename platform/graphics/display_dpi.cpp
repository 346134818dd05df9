#include "platform/graphics/display_dpi.h"

#include "platform/graphics/scale.h"

namespace platform {
namespace {

int current_dpi = ordinary_dpi;

}  // namespace

int display_dpi() { return current_dpi; }

void set_display_dpi(int dpi) { current_dpi = dpi > 0 ? dpi : ordinary_dpi; }

}  // namespace platform
