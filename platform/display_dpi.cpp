#include "platform/display_dpi.h"

namespace platform {
namespace {

constexpr int ordinary_dpi = 96;
int current_dpi = ordinary_dpi;

}  // namespace

int display_dpi() { return current_dpi; }

void set_display_dpi(int dpi) { current_dpi = dpi > 0 ? dpi : ordinary_dpi; }

}  // namespace platform
