// Starting and stopping the window system, and the values it takes from the desktop.

#include "platform/window_system/window_system.h"

#include "platform/graphics/graphics_state.h"
#include "platform/graphics/glyphs.h"
#include "platform/graphics/scale.h"
#include "platform/window_system/controls.h"
#include "platform/window_system/system_state.h"

namespace platform {

using internal::running;

namespace {

void destroy_running_system() {
  if (internal::System* system = running()) {
    while (!system->windows.empty()) {
      destroy_window(top_level_of(system->windows.front().get()));
    }
    internal::running_system.reset();
  }
}

}  // namespace

void start_window_system(std::unique_ptr<NativeDisplay> display) {
  destroy_running_system();
  internal::running_system = std::make_unique<internal::System>();
  set_display_dpi(text_dpi(1));
  internal::state().display = std::move(display);
  register_built_in_controls();
}

// Fonts go with the window system that shows them: a window system started afterwards finds its
// fonts afresh, as the desktop's font configuration says then.
void stop_window_system() {
  destroy_running_system();
  end_glyphs();
}

bool window_system_running() { return running() != nullptr; }

NativeDisplay* display() { return running() != nullptr ? running()->display.get() : nullptr; }

Size outer_size(Size inner, std::uint32_t style) {
  internal::System* system = running();
  const FrameExtents frame = system != nullptr ? system->display->frame_extents(style) : FrameExtents{};
  return {inner.width + frame.left + frame.right, inner.height + frame.top + frame.bottom};
}

Pixel system_colour(SystemColour which) {
  if (running() != nullptr) {
    if (const std::optional<Pixel> own = running()->display->system_colour(which)) {
      return *own;
    }
  }
  switch (which) {
    case SystemColour::ButtonFace:
      return rgb(0xF0, 0xF0, 0xF0);
    case SystemColour::ButtonText:
      return rgb(0, 0, 0);
    case SystemColour::GrayText:
      return rgb(0x6D, 0x6D, 0x6D);
  }
  return rgb(0, 0, 0);
}

SystemMetrics system_metrics() {
  if (running() != nullptr) {
    if (const std::optional<SystemMetrics> own = running()->display->system_metrics()) {
      return *own;
    }
  }
  return {};
}

namespace input {

// Every top-level window hears of it; what a window does not handle itself is painted again.
void colour_scheme_changed() {
  for (const auto& window : internal::state().windows) {
    if (window->top_level()) {
      post(window.get(), MessageCode::ColourSchemeChanged);
    }
  }
}

}  // namespace input
}  // namespace platform
