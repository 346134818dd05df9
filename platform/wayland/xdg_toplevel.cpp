// Toplevels of the program's own on compositors that decorate them (xdg-decoration: sway, KWin):
// the compositor draws the caption and the close button, so that libdecor and its plugin are not
// needed there.

#include <cstdint>
#include <string>

#include "platform/wayland/wayland_display.h"

namespace platform {

void WaylandDisplay::ping(void*, xdg_wm_base* shell, std::uint32_t serial) { xdg_wm_base_pong(shell, serial); }

void WaylandDisplay::make_toplevel(Native& native) {
  static const xdg_surface_listener surface_listener{&WaylandDisplay::shell_configure};
  static const xdg_toplevel_listener toplevel_listener{&WaylandDisplay::toplevel_configure,
                                                       &WaylandDisplay::toplevel_close, nullptr, nullptr};
  native.shell_surface = xdg_wm_base_get_xdg_surface(shell_, native.surface);
  xdg_surface_add_listener(native.shell_surface, &surface_listener, &native);
  native.toplevel = xdg_surface_get_toplevel(native.shell_surface);
  xdg_toplevel_add_listener(native.toplevel, &toplevel_listener, &native);
  const std::string app_id(identity_.application_id);
  xdg_toplevel_set_app_id(native.toplevel, app_id.c_str());
  xdg_toplevel_set_title(native.toplevel, native.window->text().c_str());
  native.decoration = zxdg_decoration_manager_v1_get_toplevel_decoration(decoration_manager_, native.toplevel);
  zxdg_toplevel_decoration_v1_set_mode(native.decoration, ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
}

void WaylandDisplay::destroy_toplevel(Native& native) {
  zxdg_toplevel_decoration_v1_destroy(native.decoration);
  xdg_toplevel_destroy(native.toplevel);
  xdg_surface_destroy(native.shell_surface);
}

// The window's size is its own (least = most size): only the states count.
void WaylandDisplay::toplevel_configure(void* data, xdg_toplevel*, std::int32_t, std::int32_t, wl_array* states) {
  auto& native = *static_cast<Native*>(data);
  native.activated = false;
  const auto* state = static_cast<const std::uint32_t*>(states->data);
  for (std::size_t index = 0; index < states->size / sizeof(std::uint32_t); ++index) {
    if (state[index] == XDG_TOPLEVEL_STATE_ACTIVATED) native.activated = true;
  }
}

// The toplevel's configure comes first; this one closes the sequence and is acknowledged.
void WaylandDisplay::shell_configure(void* data, xdg_surface* shell_surface, std::uint32_t serial) {
  auto& native = *static_cast<Native*>(data);
  xdg_surface_ack_configure(shell_surface, serial);
  native.display->configured(native, native.activated);
}

void WaylandDisplay::toplevel_close(void* data, xdg_toplevel*) {
  auto& native = *static_cast<Native*>(data);
  native.display->reported_ = true;
  input::close_requested(*native.window);
}

}  // namespace platform
