// Gives a headless wlroots compositor's seat a pointer and a keyboard for as long as it runs.
// Without input devices the seat has neither: `swaymsg seat - cursor ...` reaches no client, and
// each run of wtype would bring a keyboard of its own and take it away again, so that a client
// binds a new keyboard each time, too late for the first key. The devices are made through
// zwlr_virtual_pointer_manager_v1 and zwp_virtual_keyboard_manager_v1, whose interfaces are
// written out here as far as the program uses them.
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

const wl_interface virtual_pointer_interface{"zwlr_virtual_pointer_v1", 1, 0, nullptr, 0, nullptr};
const wl_interface* pointer_types[] = {&wl_seat_interface, &virtual_pointer_interface};
const wl_message pointer_manager_requests[] = {{"create_virtual_pointer", "?on", pointer_types}};
const wl_interface pointer_manager_interface{"zwlr_virtual_pointer_manager_v1", 1, 1, pointer_manager_requests, 0,
                                             nullptr};

const wl_interface* no_types[] = {nullptr, nullptr, nullptr};
const wl_message keyboard_requests[] = {{"keymap", "uhu", no_types}};
const wl_interface virtual_keyboard_interface{"zwp_virtual_keyboard_v1", 1, 1, keyboard_requests, 0, nullptr};
const wl_interface* keyboard_types[] = {&wl_seat_interface, &virtual_keyboard_interface};
const wl_message keyboard_manager_requests[] = {{"create_virtual_keyboard", "on", keyboard_types}};
const wl_interface keyboard_manager_interface{"zwp_virtual_keyboard_manager_v1", 1, 1, keyboard_manager_requests, 0,
                                              nullptr};

struct Globals {
  wl_proxy* pointers = nullptr;
  wl_proxy* keyboards = nullptr;
  wl_seat* seat = nullptr;
};

void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
  auto& globals = *static_cast<Globals*>(data);
  if (std::strcmp(interface, pointer_manager_interface.name) == 0) {
    globals.pointers = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &pointer_manager_interface, 1));
  } else if (std::strcmp(interface, keyboard_manager_interface.name) == 0) {
    globals.keyboards = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &keyboard_manager_interface, 1));
  } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && globals.seat == nullptr) {
    globals.seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  }
}

// The keyboard's keymap, the system's default one, as a file to hand over.
bool give_keymap(wl_proxy* keyboard) {
  xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  xkb_keymap* keymap = context != nullptr ? xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS)
                                          : nullptr;
  char* text = keymap != nullptr ? xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1) : nullptr;
  const int file = memfd_create("keymap", MFD_CLOEXEC);
  const std::size_t size = text != nullptr ? std::strlen(text) + 1 : 0;
  const bool written = text != nullptr && file >= 0 && write(file, text, size) == static_cast<ssize_t>(size);
  if (written) {
    wl_proxy_marshal(keyboard, 0, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, file, static_cast<std::uint32_t>(size));
  }
  return written;
}

}  // namespace

int main() {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    std::fputs("virtual devices: no compositor\n", stderr);
    return 1;
  }
  Globals globals;
  static const wl_registry_listener listener{&global, [](void*, wl_registry*, std::uint32_t) {}};
  wl_registry_add_listener(wl_display_get_registry(display), &listener, &globals);
  wl_display_roundtrip(display);
  if (globals.pointers == nullptr || globals.keyboards == nullptr || globals.seat == nullptr) {
    std::fputs("virtual devices: the compositor makes no virtual pointers or keyboards\n", stderr);
    return 1;
  }
  wl_proxy_marshal_constructor(globals.pointers, 0, &virtual_pointer_interface, globals.seat, nullptr);
  wl_proxy* keyboard = wl_proxy_marshal_constructor(globals.keyboards, 0, &virtual_keyboard_interface, globals.seat,
                                                    nullptr);
  if (!give_keymap(keyboard)) {
    std::fputs("virtual devices: no keymap\n", stderr);
    return 1;
  }
  while (wl_display_dispatch(display) >= 0) {
  }
  return 0;
}
