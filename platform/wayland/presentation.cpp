// The showing of a window's pixels: the window system paints straight into one of two shared
// buffers; a present hands that one to the compositor and gives the window system the other, once
// the compositor has let go of it and it has been brought up to date with what it missed. The
// compositor's frame callbacks pace the presents: one asked for before the next frame waits for it.

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/wayland/wayland_display.h"

namespace platform {

bool WaylandDisplay::make_buffers(Native& native) {
  const Size size = native.window->device_size();
  std::unique_ptr<ShmBuffer> made[2];
  for (auto& buffer : made) {
    buffer = ShmBuffer::make(shm_, releases_, size);
    if (!buffer) return false;
  }
  std::swap(native.buffers, made);
  native.painted = 0;
  return true;
}

Surface WaylandDisplay::painted_surface(const Native& native) const {
  const Size size = native.window->device_size();
  return {size, reinterpret_cast<Pixel*>(native.buffers[native.painted]->words()), static_cast<std::size_t>(size.width)};
}

Pixel* WaylandDisplay::present(const WindowNode& window, const Rect& area) {
  Native* native = native_of(window);
  if (native == nullptr) {
    return window.surface().pixels;
  }
  const Rect shown = area.intersected(Rect::at({0, 0}, window.device_size()));
  native->pending = native->pending.united(shown);
  ShmBuffer& other = *native->buffers[1 - native->painted];
  other.stale = other.stale.united(shown);
  if (native->configured && native->frame_callback == nullptr) {
    show_painted(*native);
  }
  return painted_surface(*native).pixels;
}

void WaylandDisplay::show_painted(Native& native) {
  ShmBuffer& shown = *native.buffers[native.painted];
  const auto width = static_cast<std::size_t>(native.window->device_size().width);
  const Rect& area = native.pending;
  // The unused top byte is set as an opaque alpha over what is shown: screen captures that read
  // the buffer as ARGB (weston's) would otherwise find it transparent, and take the colours away
  // with the alpha. The window system writes it as 0, and blends without it.
  constexpr std::uint32_t opaque = 0xFF000000u;
  for (int y = area.top; y < area.bottom; ++y) {
    std::uint32_t* row = shown.words() + static_cast<std::size_t>(y) * width;
    std::for_each(row + area.left, row + area.right, [](std::uint32_t& word) { word |= opaque; });
  }
  wl_surface_attach(native.surface, shown.buffer(), 0, 0);
  wl_surface_damage_buffer(native.surface, area.left, area.top, area.width(), area.height());
  static const wl_callback_listener frame_listener{&WaylandDisplay::frame_done};
  native.frame_callback = wl_surface_frame(native.surface);
  wl_callback_add_listener(native.frame_callback, &frame_listener, &native);
  wl_surface_commit(native.surface);
  shown.attached();
  native.pending = {};

  // The compositor lets go of the buffer shown before once it has taken this one.
  native.painted = 1 - native.painted;
  ShmBuffer& next = *native.buffers[native.painted];
  while (next.busy()) {
    if (wl_display_dispatch_queue(display_, releases_) < 0) lost();
  }
  const Rect copied = next.stale;
  for (int y = copied.top; y < copied.bottom; ++y) {
    const std::size_t at = static_cast<std::size_t>(y) * width + static_cast<std::size_t>(copied.left);
    std::memcpy(next.words() + at, shown.words() + at, static_cast<std::size_t>(copied.width()) * sizeof(std::uint32_t));
  }
  next.stale = {};
}

// What was painted while a frame was awaited is painted again once the compositor asks for the
// next one: only a present can hand the window system other pixels to paint.
void WaylandDisplay::expose_waiting() {
  for (auto& [window, native] : natives_) {
    if (native->configured && native->frame_callback == nullptr && !native->pending.empty()) {
      input::exposed(*window, native->pending);
      native->pending = {};
      reported_ = true;
    }
  }
}

void WaylandDisplay::frame_done(void* data, wl_callback* callback, std::uint32_t) {
  auto& native = *static_cast<Native*>(data);
  wl_callback_destroy(callback);
  native.frame_callback = nullptr;
}

}  // namespace platform
