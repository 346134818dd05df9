// The seat's pointer and keyboard, passed on to the window system in device pixels of the window's
// inner area. Keys go through xkbcommon with the keymap the compositor hands over. Wayland repeats
// no key: a held key comes as one press and one release, which is what the window system makes of
// X11's repeated presses too.

#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <cmath>

#include "platform/wayland/wayland_display.h"
#include "platform/window_system/messages.h"

namespace platform {
namespace {

Key key_of(xkb_keysym_t symbol) {
  switch (symbol) {
    case XKB_KEY_Tab:
    case XKB_KEY_ISO_Left_Tab:
      return Key::Tab;
    case XKB_KEY_space:
      return Key::Space;
    default:
      return Key::Other;
  }
}

}  // namespace

void WaylandDisplay::seat_capabilities(void* data, wl_seat* seat, std::uint32_t capabilities) {
  auto& self = *static_cast<WaylandDisplay*>(data);
  const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
  const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
  if (pointer && self.pointer_ == nullptr) {
    static const wl_pointer_listener listener{
        &WaylandDisplay::pointer_enter, &WaylandDisplay::pointer_leave, &WaylandDisplay::pointer_motion,
        &WaylandDisplay::pointer_button,
        [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {},
        [](void*, wl_pointer*) {},
        [](void*, wl_pointer*, std::uint32_t) {},
        [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},
        [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
        [](void*, wl_pointer*, std::uint32_t, std::int32_t) {}};
    self.pointer_ = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(self.pointer_, &listener, &self);
  } else if (!pointer && self.pointer_ != nullptr) {
    wl_pointer_release(self.pointer_);
    self.pointer_ = nullptr;
    self.pointer_window_ = nullptr;
  }
  if (keyboard && self.keyboard_ == nullptr) {
    static const wl_keyboard_listener listener{
        &WaylandDisplay::keyboard_keymap, &WaylandDisplay::keyboard_enter, &WaylandDisplay::keyboard_leave,
        &WaylandDisplay::keyboard_key, &WaylandDisplay::keyboard_modifiers,
        [](void*, wl_keyboard*, std::int32_t, std::int32_t) {}};
    self.keyboard_ = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(self.keyboard_, &listener, &self);
  } else if (!keyboard && self.keyboard_ != nullptr) {
    wl_keyboard_release(self.keyboard_);
    self.keyboard_ = nullptr;
    self.keyboard_window_ = nullptr;
  }
}

void WaylandDisplay::release_seat() {
  if (pointer_ != nullptr) wl_pointer_release(pointer_);
  if (keyboard_ != nullptr) wl_keyboard_release(keyboard_);
  if (key_state_ != nullptr) xkb_state_unref(key_state_);
  if (keymap_ != nullptr) xkb_keymap_unref(keymap_);
  if (cursor_surface_ != nullptr) wl_surface_destroy(cursor_surface_);
  if (cursor_theme_ != nullptr) wl_cursor_theme_destroy(cursor_theme_);
  cursor_surface_ = nullptr;
  cursor_theme_ = nullptr;
  pointer_ = nullptr;
  keyboard_ = nullptr;
  key_state_ = nullptr;
  keymap_ = nullptr;
}

// Surface coordinates are the compositor's logical pixels; the surface's logical size against
// its device size makes them device pixels.
Point WaylandDisplay::device_point(const Native& native, wl_fixed_t x, wl_fixed_t y) const {
  const double scale = native.logical.width > 0
                           ? static_cast<double>(native.window->device_size().width) / native.logical.width
                           : native.window->scale();
  return {static_cast<int>(std::floor(wl_fixed_to_double(x) * scale)),
          static_cast<int>(std::floor(wl_fixed_to_double(y) * scale))};
}

// A client shows its own cursor over its surfaces: without one the compositor leaves whatever the
// pointer showed before (a resizing arrow from a border, say). Without a cursor theme it does so.
void WaylandDisplay::show_cursor(std::uint32_t serial) {
  constexpr int cursor_size = 24;
  if (cursor_theme_ == nullptr || cursor_scale_ != scale_) {
    if (cursor_theme_ != nullptr) wl_cursor_theme_destroy(cursor_theme_);
    cursor_theme_ = wl_cursor_theme_load(nullptr, cursor_size * scale_, shm_);
    cursor_scale_ = scale_;
  }
  wl_cursor* arrow = cursor_theme_ != nullptr ? wl_cursor_theme_get_cursor(cursor_theme_, "left_ptr") : nullptr;
  if (arrow == nullptr || arrow->image_count == 0) {
    return;
  }
  wl_cursor_image* image = arrow->images[0];
  // A theme without the size asked for gives its nearest, which may not divide by the scale.
  const int scale = image->width % static_cast<unsigned>(scale_) == 0 && image->height % static_cast<unsigned>(scale_) == 0
                        ? scale_
                        : 1;
  if (cursor_surface_ == nullptr) cursor_surface_ = wl_compositor_create_surface(compositor_);
  wl_surface_set_buffer_scale(cursor_surface_, scale);
  wl_surface_attach(cursor_surface_, wl_cursor_image_get_buffer(image), 0, 0);
  wl_surface_damage_buffer(cursor_surface_, 0, 0, static_cast<std::int32_t>(image->width),
                           static_cast<std::int32_t>(image->height));
  wl_surface_commit(cursor_surface_);
  wl_pointer_set_cursor(pointer_, serial, cursor_surface_, static_cast<std::int32_t>(image->hotspot_x) / scale,
                        static_cast<std::int32_t>(image->hotspot_y) / scale);
}

void WaylandDisplay::pointer_enter(void* data, wl_pointer*, std::uint32_t serial, wl_surface* surface, wl_fixed_t x,
                                   wl_fixed_t y) {
  auto& self = *static_cast<WaylandDisplay*>(data);
  const Native* native = self.native_of(surface);
  self.pointer_window_ = native != nullptr ? native->window : nullptr;
  if (native != nullptr) {
    self.pointer_at_ = self.device_point(*native, x, y);
    self.show_cursor(serial);
  }
}

void WaylandDisplay::pointer_leave(void* data, wl_pointer*, std::uint32_t, wl_surface*) {
  static_cast<WaylandDisplay*>(data)->pointer_window_ = nullptr;
}

void WaylandDisplay::pointer_motion(void* data, wl_pointer*, std::uint32_t time, wl_fixed_t x, wl_fixed_t y) {
  auto& self = *static_cast<WaylandDisplay*>(data);
  if (self.pointer_window_ == nullptr) {
    return;
  }
  const Native* native = self.native_of(*self.pointer_window_);
  if (native == nullptr) {
    return;
  }
  self.pointer_at_ = self.device_point(*native, x, y);
  self.reported_ = true;
  input::pointer_moved(*self.pointer_window_, self.pointer_at_, time);
}

void WaylandDisplay::pointer_button(void* data, wl_pointer*, std::uint32_t, std::uint32_t time, std::uint32_t button,
                                    std::uint32_t state) {
  auto& self = *static_cast<WaylandDisplay*>(data);
  if (self.pointer_window_ == nullptr || button < BTN_LEFT || button > BTN_MIDDLE) {
    return;
  }
  const MouseButton which = button == BTN_LEFT    ? MouseButton::Left
                            : button == BTN_RIGHT ? MouseButton::Right
                                                  : MouseButton::Middle;
  self.reported_ = true;
  input::button(*self.pointer_window_, which, state == WL_POINTER_BUTTON_STATE_PRESSED, self.pointer_at_, time);
}

void WaylandDisplay::keyboard_keymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd,
                                     std::uint32_t size) {
  auto& self = *static_cast<WaylandDisplay*>(data);
  if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) {
    ::close(fd);
    return;
  }
  void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  ::close(fd);
  if (text == MAP_FAILED) {
    return;
  }
  xkb_keymap* keymap = xkb_keymap_new_from_string(self.xkb_, static_cast<const char*>(text),
                                                   XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
  munmap(text, size);
  if (keymap == nullptr) {
    return;
  }
  if (self.key_state_ != nullptr) xkb_state_unref(self.key_state_);
  if (self.keymap_ != nullptr) xkb_keymap_unref(self.keymap_);
  self.keymap_ = keymap;
  self.key_state_ = xkb_state_new(keymap);
}

void WaylandDisplay::keyboard_enter(void* data, wl_keyboard*, std::uint32_t, wl_surface* surface, wl_array*) {
  auto& self = *static_cast<WaylandDisplay*>(data);
  self.keyboard_window_ = self.window_of(surface);
}

void WaylandDisplay::keyboard_leave(void* data, wl_keyboard*, std::uint32_t, wl_surface*) {
  static_cast<WaylandDisplay*>(data)->keyboard_window_ = nullptr;
}

void WaylandDisplay::keyboard_key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
                                  std::uint32_t state) {
  auto& self = *static_cast<WaylandDisplay*>(data);
  if (self.keyboard_window_ == nullptr || self.key_state_ == nullptr) {
    return;
  }
  // Evdev's key codes are the keymap's less 8.
  const xkb_keysym_t symbol = xkb_state_key_get_one_sym(self.key_state_, key + 8);
  std::int32_t modifiers = NoModifier;
  const auto held = [&self](const char* name) {
    return xkb_state_mod_name_is_active(self.key_state_, name, XKB_STATE_MODS_EFFECTIVE) > 0;
  };
  if (held(XKB_MOD_NAME_SHIFT)) modifiers |= Shift;
  if (held(XKB_MOD_NAME_CTRL)) modifiers |= Control;
  if (held(XKB_MOD_NAME_ALT)) modifiers |= Alt;
  self.reported_ = true;
  input::key(*self.keyboard_window_, key_of(symbol), state == WL_KEYBOARD_KEY_STATE_PRESSED, modifiers);
}

void WaylandDisplay::keyboard_modifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed,
                                        std::uint32_t latched, std::uint32_t locked, std::uint32_t group) {
  auto& self = *static_cast<WaylandDisplay*>(data);
  if (self.key_state_ != nullptr) {
    xkb_state_update_mask(self.key_state_, depressed, latched, locked, 0, 0, group);
  }
}

}  // namespace platform
