// The program's windows as xdg-shell toplevels framed through libdecor, and the showing of their
// pixels: the window system paints into memory of the backend's own, from which the part that
// changed is copied into whichever of two shared buffers the compositor has let go, once per frame.

#include <algorithm>
#include <memory>
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

bool WaylandDisplay::make_buffers(Native& native) {
  const Size size = native.window->device_size();
  std::unique_ptr<ShmBuffer> made[2];
  for (auto& buffer : made) {
    buffer = ShmBuffer::make(shm_, size);
    if (!buffer) return false;
  }
  std::swap(native.buffers, made);
  native.pixels.assign(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height), Pixel{});
  return true;
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
  static libdecor_frame_interface frame_listener{&WaylandDisplay::configure, &WaylandDisplay::close,
                                                 &WaylandDisplay::commit, nullptr, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}};
  native->frame = libdecor_decorate(decorations_, native->surface, &frame_listener, native.get());
  if (native->frame == nullptr) {
    if (native->viewport != nullptr) wp_viewport_destroy(native->viewport);
    if (native->fraction != nullptr) wp_fractional_scale_v1_destroy(native->fraction);
    wl_surface_destroy(native->surface);
    return std::nullopt;
  }
  const std::string app_id(identity_.application_id);
  libdecor_frame_set_app_id(native->frame, app_id.c_str());
  libdecor_frame_set_title(native->frame, window.text().c_str());
  fit_surface(*native);
  libdecor_frame_unset_capabilities(native->frame,
                                    static_cast<libdecor_capabilities>(LIBDECOR_ACTION_RESIZE | LIBDECOR_ACTION_FULLSCREEN));
  const Surface surface{window.device_size(), native->pixels.data(), static_cast<std::size_t>(window.device_size().width)};
  const auto handle = reinterpret_cast<std::uintptr_t>(native->surface);
  natives_[&window] = std::move(native);
  return NativeWindow{handle, surface};
}

// A new scale: new buffers of the new device size, shown at that scale from the next commit on.
std::optional<Surface> WaylandDisplay::resize_window(const WindowNode& window, Point) {
  Native* native = native_of(window);
  if (native == nullptr || !make_buffers(*native)) {
    return std::nullopt;
  }
  fit_surface(*native);
  native->pending = Rect::at({0, 0}, window.device_size());
  return Surface{window.device_size(), native->pixels.data(), static_cast<std::size_t>(window.device_size().width)};
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
  libdecor_frame_unref(native.frame);
  wl_surface_destroy(native.surface);
  natives_.erase(found);
  wl_display_flush(display_);
}

void WaylandDisplay::set_title(const WindowNode& window) {
  if (Native* native = native_of(window)) libdecor_frame_set_title(native->frame, window.text().c_str());
}

void WaylandDisplay::show(const WindowNode& window) {
  if (Native* native = native_of(window)) {
    libdecor_frame_map(native->frame);
    wl_display_flush(display_);
  }
}

// Nothing may be shown on a toplevel before the compositor has configured it.
bool WaylandDisplay::on_screen(const WindowNode& window) {
  const Native* native = native_of(window);
  return native != nullptr && native->configured;
}

Pixel* WaylandDisplay::present(const WindowNode& window, const Rect& area) {
  Native* native = native_of(window);
  if (native == nullptr) {
    return window.surface().pixels;
  }
  native->pending = native->pending.united(area);
  for (auto& buffer : native->buffers) buffer->stale = buffer->stale.united(area);
  show_pending(*native);
  return native->pixels.data();
}

// Shows what was painted since the last commit, once the compositor has asked for the next frame
// and let go of a buffer; until then it waits.
void WaylandDisplay::show_pending(Native& native) {
  if (!native.configured || native.pending.empty() || native.frame_callback != nullptr) {
    return;
  }
  const auto free = std::find_if(std::begin(native.buffers), std::end(native.buffers),
                                 [](const auto& buffer) { return !buffer->busy(); });
  if (free == std::end(native.buffers)) {
    return;
  }
  ShmBuffer& buffer = **free;
  const auto width = static_cast<std::size_t>(native.window->device_size().width);
  const Rect copied = buffer.stale.intersected(Rect::at({0, 0}, native.window->device_size()));
  // The unused top byte is set as an opaque alpha: screen captures that read the buffer as ARGB
  // (weston's) would otherwise find it transparent, and take the colours away with the alpha.
  constexpr std::uint32_t opaque = 0xFF000000u;
  for (int y = copied.top; y < copied.bottom && !copied.empty(); ++y) {
    const std::size_t row = static_cast<std::size_t>(y) * width;
    std::transform(native.pixels.begin() + static_cast<std::ptrdiff_t>(row) + copied.left,
                   native.pixels.begin() + static_cast<std::ptrdiff_t>(row) + copied.right,
                   buffer.words() + row + copied.left, [](Pixel pixel) { return value_of(pixel) | opaque; });
  }
  buffer.stale = {};
  wl_surface_attach(native.surface, buffer.buffer(), 0, 0);
  wl_surface_damage_buffer(native.surface, native.pending.left, native.pending.top, native.pending.width(),
                           native.pending.height());
  static const wl_callback_listener frame_listener{&WaylandDisplay::frame_done};
  native.frame_callback = wl_surface_frame(native.surface);
  wl_callback_add_listener(native.frame_callback, &frame_listener, &native);
  wl_surface_commit(native.surface);
  buffer.attached();
  native.pending = {};
}

void WaylandDisplay::show_all_pending() {
  for (auto& [window, native] : natives_) show_pending(*native);
}

void WaylandDisplay::frame_done(void* data, wl_callback* callback, std::uint32_t) {
  auto& native = *static_cast<Native*>(data);
  wl_callback_destroy(callback);
  native.frame_callback = nullptr;
}

void WaylandDisplay::configure(libdecor_frame* frame, libdecor_configuration* configuration, void* data) {
  auto& native = *static_cast<Native*>(data);
  const WindowNode& window = *native.window;
  libdecor_window_state state = LIBDECOR_WINDOW_STATE_NONE;
  const bool active = libdecor_configuration_get_window_state(configuration, &state) &&
                      (state & LIBDECOR_WINDOW_STATE_ACTIVE) != 0;
  libdecor_state* content = libdecor_state_new(native.logical.width, native.logical.height);
  libdecor_frame_commit(frame, content, configuration);
  libdecor_state_free(content);
  // The configuration takes effect with the surface's next commit, which the compositor may wait
  // for before it shows the window (sway does, for 200 ms): a configured window commits at once,
  // a new one with its first picture.
  if (native.configured) {
    wl_surface_commit(native.surface);
  }
  native.display->reported_ = true;
  if (active != native.active) {
    native.active = active;
    input::activation(window, active);
  }
  if (!native.configured) {
    native.configured = true;
    input::exposed(window, Rect::at({0, 0}, window.device_size()));
  }
}

void WaylandDisplay::close(libdecor_frame*, void* data) {
  auto& native = *static_cast<Native*>(data);
  native.display->reported_ = true;
  input::close_requested(*native.window);
}

void WaylandDisplay::commit(libdecor_frame*, void* data) { wl_surface_commit(static_cast<Native*>(data)->surface); }

}  // namespace platform
