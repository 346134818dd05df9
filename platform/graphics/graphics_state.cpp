#include "platform/graphics/graphics_state.h"

namespace platform {

GraphicsState& graphics_state() {
  static GraphicsState state;
  return state;
}

}  // namespace platform
