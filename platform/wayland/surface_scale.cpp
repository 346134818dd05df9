// The scale a window is shown at: the whole-number scale nearest the one the compositor prefers
// for its surface (wp_fractional_scale_v1, halves rounded up as on X11), else the greatest scale of
// the outputs it is on. At a whole-number preference the buffer carries the scale
// (set_buffer_scale); at a fractional one the viewport shows the buffer at the size that makes
// each of its pixels one device pixel, so the window is as sharp as at a whole scale, a little
// larger or smaller than the layout.

#include <algorithm>

#include "platform/wayland/wayland_display.h"

namespace platform {

void WaylandDisplay::watch_scale(Native& native) {
  static const wl_surface_listener surface_listener{&WaylandDisplay::surface_enter, &WaylandDisplay::surface_leave};
  wl_surface_add_listener(native.surface, &surface_listener, &native);
  if (fractions_ != nullptr && viewporter_ != nullptr) {
    static const wp_fractional_scale_v1_listener fraction_listener{&WaylandDisplay::preferred_scale};
    native.fraction = wp_fractional_scale_manager_v1_get_fractional_scale(fractions_, native.surface);
    wp_fractional_scale_v1_add_listener(native.fraction, &fraction_listener, &native);
    native.viewport = wp_viewporter_get_viewport(viewporter_, native.surface);
  }
}

void WaylandDisplay::surface_enter(void* data, wl_surface*, wl_output* output) {
  auto& native = *static_cast<Native*>(data);
  if (const Output* entered = native.display->output_of(output)) {
    native.outputs.push_back(entered);
    native.display->rescale(native);
  }
}

void WaylandDisplay::surface_leave(void* data, wl_surface*, wl_output* output) {
  auto& native = *static_cast<Native*>(data);
  if (std::erase(native.outputs, native.display->output_of(output)) > 0) {
    native.display->rescale(native);
  }
}

void WaylandDisplay::preferred_scale(void* data, wp_fractional_scale_v1*, std::uint32_t scale_120) {
  auto& native = *static_cast<Native*>(data);
  native.scale_120 = scale_120;
  native.display->rescale(native);
}

// A new whole-number scale is a change of resolution, after which the window system resizes the
// window (resize_window fits the surface); a new fraction alone only shows the buffer at another size.
void WaylandDisplay::rescale(Native& native) {
  int scale = 0;
  if (native.scale_120 > 0) {
    scale = std::max(static_cast<int>((native.scale_120 + 60) / 120), 1);
  } else {
    for (const Output* output : native.outputs) scale = std::max(scale, output->scale);
  }
  if (scale == 0) {
    return;  // on no output yet
  }
  if (scale != scale_) {
    scale_ = scale;
    reported_ = true;
    input::resolution_changed();
  } else {
    fit_surface(native);
  }
}

// The layout has one size: the same least and most size keep tiling compositors from tiling it.
void WaylandDisplay::fit_surface(Native& native) {
  const Size device = native.window->device_size();
  const bool fractional = native.viewport != nullptr && native.scale_120 > 0 && native.scale_120 % 120 != 0;
  Size logical = native.window->bounds().size();
  if (fractional) {
    const auto to_logical = [&native](int pixels) {
      return static_cast<int>((static_cast<std::uint32_t>(pixels) * 120 + native.scale_120 / 2) / native.scale_120);
    };
    logical = {to_logical(device.width), to_logical(device.height)};
    wl_surface_set_buffer_scale(native.surface, 1);
    wp_viewport_set_destination(native.viewport, logical.width, logical.height);
  } else {
    wl_surface_set_buffer_scale(native.surface, native.window->scale());
    if (native.viewport != nullptr) wp_viewport_set_destination(native.viewport, -1, -1);
  }
  if (logical == native.logical) {
    return;
  }
  const bool resized = native.logical.width > 0;
  native.logical = logical;
  if (native.frame == nullptr) {
    // Applied with the next commit, which brings the buffer of the new size.
    xdg_toplevel_set_min_size(native.toplevel, logical.width, logical.height);
    xdg_toplevel_set_max_size(native.toplevel, logical.width, logical.height);
    return;
  }
  libdecor_frame_set_min_content_size(native.frame, logical.width, logical.height);
  libdecor_frame_set_max_content_size(native.frame, logical.width, logical.height);
  if (resized && native.configured) {
    libdecor_state* content = libdecor_state_new(logical.width, logical.height);
    libdecor_frame_commit(native.frame, content, nullptr);
    libdecor_state_free(content);
  }
}

}  // namespace platform
