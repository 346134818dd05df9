// Toplevels of the program's own on compositors that decorate them (xdg-decoration: sway, KWin):
// the compositor draws the caption and the close button, so that libdecor and its plugin are not
// needed there. A compositor may still answer that the program is to draw them (river and Wayfire
// by default, sway after `border csd`): then the window goes over to a frame of libdecor's.

#include <cstdint>
#include <cstdlib>
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
  static const zxdg_toplevel_decoration_v1_listener decoration_listener{&WaylandDisplay::decoration_configure};
  native.decoration = zxdg_decoration_manager_v1_get_toplevel_decoration(decoration_manager_, native.toplevel);
  zxdg_toplevel_decoration_v1_add_listener(native.decoration, &decoration_listener, &native);
  zxdg_toplevel_decoration_v1_set_mode(native.decoration, ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
}

void WaylandDisplay::destroy_toplevel(Native& native) {
  zxdg_toplevel_decoration_v1_destroy(native.decoration);
  xdg_toplevel_destroy(native.toplevel);
  xdg_surface_destroy(native.shell_surface);
  native.decoration = nullptr;
  native.toplevel = nullptr;
  native.shell_surface = nullptr;
}

// Comes before the xdg_surface configure that closes the sequence, which then acts on it.
void WaylandDisplay::decoration_configure(void* data, zxdg_toplevel_decoration_v1*, std::uint32_t mode) {
  static_cast<Native*>(data)->framed_here = mode == ZXDG_TOPLEVEL_DECORATION_V1_MODE_CLIENT_SIDE;
}

// The same surface is unmapped, since a new role takes it only without a buffer, and mapped again
// in the frame, painted whole once the frame is configured. A frame asked for while it was shown
// may never come.
void WaylandDisplay::frame_instead(Native& native) {
  wl_surface_attach(native.surface, nullptr, 0, 0);
  wl_surface_commit(native.surface);
  if (native.frame_callback != nullptr) {
    wl_callback_destroy(native.frame_callback);
    native.frame_callback = nullptr;
  }
  destroy_toplevel(native);
  native.framed_here = false;
  native.configured = false;
  if (!start_decorations() || !decorate(native)) {
    if (report_ != nullptr) {
      report_(
          {DisplayFailure::Kind::ConnectionLost, "the Wayland compositor (it asks for a frame libdecor cannot draw)"});
    }
    std::_Exit(1);
  }
  libdecor_frame_map(native.frame);
  wl_display_flush(display_);
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
  if (native.framed_here) {
    native.display->frame_instead(native);
    return;
  }
  xdg_surface_ack_configure(shell_surface, serial);
  native.display->configured(native, native.activated);
}

void WaylandDisplay::toplevel_close(void* data, xdg_toplevel*) {
  auto& native = *static_cast<Native*>(data);
  native.display->reported_ = true;
  input::close_requested(*native.window);
}

}  // namespace platform
