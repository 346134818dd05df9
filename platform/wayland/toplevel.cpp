// The program's windows as xdg-shell toplevels: made here and framed through libdecor where the
// compositor does not decorate them itself, or made in xdg_toplevel.cpp where it does.

#include <memory>
#include <string>
#include <utility>

#include "platform/wayland/wayland_display.h"

namespace platform {

WaylandDisplay::Native* WaylandDisplay::native_of(const WindowNode& window) {
  const auto found = natives_.find(&window);
  return found != natives_.end() ? found->second.get() : nullptr;
}

const WaylandDisplay::Native* WaylandDisplay::native_of(wl_surface* surface) const {
  for (const auto& [window, native] : natives_) {
    if (native->surface == surface && surface != nullptr) return native.get();
  }
  return nullptr;
}

const WindowNode* WaylandDisplay::window_of(wl_surface* surface) const {
  const Native* native = native_of(surface);
  return native != nullptr ? native->window : nullptr;
}

std::optional<NativeWindow> WaylandDisplay::create_window(const WindowNode& window) {
  auto native = std::make_unique<Native>();
  native->window = &window;
  native->display = this;
  if (!make_buffers(*native)) {
    return std::nullopt;
  }
  native->surface = wl_compositor_create_surface(compositor_);
  watch_scale(*native);
  if (decorations_ == nullptr) {
    make_toplevel(*native);
  } else if (!decorate(*native)) {
    if (native->viewport != nullptr) wp_viewport_destroy(native->viewport);
    if (native->fraction != nullptr) wp_fractional_scale_v1_destroy(native->fraction);
    wl_surface_destroy(native->surface);
    return std::nullopt;
  }
  fit_surface(*native);
  const Surface surface = painted_surface(*native);
  const auto handle = reinterpret_cast<std::uintptr_t>(native->surface);
  natives_[&window] = std::move(native);
  return NativeWindow{handle, surface};
}

// The surface as the toplevel of a frame that libdecor draws, with a caption and a close and a
// minimize button.
bool WaylandDisplay::decorate(Native& native) {
  static libdecor_frame_interface frame_listener{&WaylandDisplay::configure, &WaylandDisplay::close,
                                                 &WaylandDisplay::commit, nullptr, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}};
  native.frame = libdecor_decorate(decorations_, native.surface, &frame_listener, &native);
  if (native.frame == nullptr) {
    return false;
  }
  const std::string app_id(identity_.application_id);
  libdecor_frame_set_app_id(native.frame, app_id.c_str());
  libdecor_frame_set_title(native.frame, native.window->text().c_str());
  libdecor_frame_unset_capabilities(
      native.frame, static_cast<libdecor_capabilities>(LIBDECOR_ACTION_RESIZE | LIBDECOR_ACTION_FULLSCREEN));
  return true;
}

// A new scale: new buffers of the new device size, shown at that scale from the next commit on.
std::optional<Surface> WaylandDisplay::resize_window(const WindowNode& window, Point) {
  Native* native = native_of(window);
  if (native == nullptr || !make_buffers(*native)) {
    return std::nullopt;
  }
  fit_surface(*native);
  native->pending = Rect::at({0, 0}, window.device_size());
  return painted_surface(*native);
}

// Wayland clients do not place themselves: the compositor puts the window where it will, and
// tells no client where. The window system's place is taken as the one it asked for.
void WaylandDisplay::place_window(const WindowNode& window, Point inner_origin) {
  input::moved(window, inner_origin);
}

void WaylandDisplay::destroy_window(const WindowNode& window) {
  const auto found = natives_.find(&window);
  if (found == natives_.end()) {
    return;
  }
  Native& native = *found->second;
  if (pointer_window_ == &window) pointer_window_ = nullptr;
  if (keyboard_window_ == &window) keyboard_window_ = nullptr;
  if (native.frame_callback != nullptr) wl_callback_destroy(native.frame_callback);
  if (native.viewport != nullptr) wp_viewport_destroy(native.viewport);
  if (native.fraction != nullptr) wp_fractional_scale_v1_destroy(native.fraction);
  if (native.frame != nullptr) {
    libdecor_frame_unref(native.frame);
  } else {
    destroy_toplevel(native);
  }
  wl_surface_destroy(native.surface);
  natives_.erase(found);
  wl_display_flush(display_);
}

void WaylandDisplay::set_title(const WindowNode& window) {
  Native* native = native_of(window);
  if (native == nullptr) {
    return;
  }
  if (native->frame != nullptr) {
    libdecor_frame_set_title(native->frame, window.text().c_str());
  } else {
    xdg_toplevel_set_title(native->toplevel, window.text().c_str());
  }
}

void WaylandDisplay::show(const WindowNode& window) {
  if (Native* native = native_of(window)) {
    if (native->frame != nullptr) {
      libdecor_frame_map(native->frame);
    } else {
      // A toplevel's first commit, with no buffer, asks the compositor to configure it.
      wl_surface_commit(native->surface);
    }
    wl_display_flush(display_);
  }
}

// Nothing may be shown on a toplevel before the compositor has configured it.
bool WaylandDisplay::on_screen(const WindowNode& window) {
  const Native* native = native_of(window);
  return native != nullptr && native->configured;
}

// A configuration has been acknowledged: it takes effect with the surface's next commit, which
// the compositor may wait for before it shows the window (sway does, for 200 ms), so a configured
// window commits at once, a new one with its first picture.
void WaylandDisplay::configured(Native& native, bool active) {
  const WindowNode& window = *native.window;
  if (native.configured) {
    wl_surface_commit(native.surface);
  }
  reported_ = true;
  if (active != native.active) {
    native.active = active;
    input::activation(window, active);
  }
  if (!native.configured) {
    native.configured = true;
    input::exposed(window, Rect::at({0, 0}, window.device_size()));
  }
}

void WaylandDisplay::configure(libdecor_frame* frame, libdecor_configuration* configuration, void* data) {
  auto& native = *static_cast<Native*>(data);
  libdecor_window_state state = LIBDECOR_WINDOW_STATE_NONE;
  const bool active = libdecor_configuration_get_window_state(configuration, &state) &&
                      (state & LIBDECOR_WINDOW_STATE_ACTIVE) != 0;
  libdecor_state* content = libdecor_state_new(native.logical.width, native.logical.height);
  libdecor_frame_commit(frame, content, configuration);
  libdecor_state_free(content);
  native.display->configured(native, active);
}

void WaylandDisplay::close(libdecor_frame*, void* data) {
  auto& native = *static_cast<Native*>(data);
  native.display->reported_ = true;
  input::close_requested(*native.window);
}

void WaylandDisplay::commit(libdecor_frame*, void* data) { wl_surface_commit(static_cast<Native*>(data)->surface); }

}  // namespace platform
