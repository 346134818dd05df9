// The connection to the compositor, its globals and outputs, and the wait for events.

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/text/font_match.h"
#include "platform/wayland/backend.h"
#include "platform/wayland/wayland_display.h"

namespace platform {

// libdecor tells its failures to the context alone, which carries nothing of the program's: the
// report goes where the display's own go.
namespace {
DisplayFailureReport decorations_report = nullptr;
}  // namespace

WaylandDisplay::WaylandDisplay(wl_display* display, const ProgramIdentity& identity, DisplayFailureReport report)
    : identity_(identity), report_(report), display_(display) {}

WaylandDisplay::~WaylandDisplay() {
  while (!natives_.empty()) {
    destroy_window(*natives_.begin()->first);
  }
  release_seat();
  if (decorations_ != nullptr) libdecor_unref(decorations_);
  if (decoration_manager_ != nullptr) zxdg_decoration_manager_v1_destroy(decoration_manager_);
  if (shell_ != nullptr) xdg_wm_base_destroy(shell_);
  if (releases_ != nullptr) wl_event_queue_destroy(releases_);
  for (const auto& output : outputs_) wl_output_destroy(output->output);
  if (seat_ != nullptr) wl_seat_destroy(seat_);
  if (viewporter_ != nullptr) wp_viewporter_destroy(viewporter_);
  if (fractions_ != nullptr) wp_fractional_scale_manager_v1_destroy(fractions_);
  if (shm_ != nullptr) wl_shm_destroy(shm_);
  if (compositor_ != nullptr) wl_compositor_destroy(compositor_);
  if (registry_ != nullptr) wl_registry_destroy(registry_);
  if (xkb_ != nullptr) xkb_context_unref(xkb_);
  wl_display_disconnect(display_);
}

bool WaylandDisplay::start(std::string& error) {
  static const wl_registry_listener listener{&WaylandDisplay::global, &WaylandDisplay::global_remove};
  registry_ = wl_display_get_registry(display_);
  wl_registry_add_listener(registry_, &listener, this);
  // The first round trip brings the globals, the second what the outputs and the seat tell of themselves.
  if (wl_display_roundtrip(display_) < 0 || wl_display_roundtrip(display_) < 0) {
    error = "the Wayland compositor closed the connection at once";
    return false;
  }
  if (compositor_ == nullptr || shm_ == nullptr || shell_ == nullptr) {
    error = "the Wayland compositor lacks wl_compositor 4, wl_shm or xdg_wm_base";
    return false;
  }
  releases_ = wl_display_create_queue(display_);
  xkb_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  if ((decoration_manager_ == nullptr && !start_decorations()) || xkb_ == nullptr || releases_ == nullptr) {
    error = "libdecor or xkbcommon could not start";
    return false;
  }
  for (const auto& output : outputs_) scale_ = std::max(scale_, output->scale);
  return true;
}

void WaylandDisplay::global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                            std::uint32_t version) {
  auto& self = *static_cast<WaylandDisplay*>(data);
  const std::string_view named(interface);
  if (named == wl_compositor_interface.name && version >= 4) {
    self.compositor_ = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
  } else if (named == wl_shm_interface.name) {
    self.shm_ = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
  } else if (named == xdg_wm_base_interface.name) {
    self.shell_ = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
    static const xdg_wm_base_listener listener{&WaylandDisplay::ping};
    xdg_wm_base_add_listener(self.shell_, &listener, &self);
  } else if (named == zxdg_decoration_manager_v1_interface.name) {
    self.decoration_manager_ = static_cast<zxdg_decoration_manager_v1*>(
        wl_registry_bind(registry, name, &zxdg_decoration_manager_v1_interface, 1));
  } else if (named == wp_viewporter_interface.name) {
    self.viewporter_ = static_cast<wp_viewporter*>(wl_registry_bind(registry, name, &wp_viewporter_interface, 1));
  } else if (named == wp_fractional_scale_manager_v1_interface.name) {
    self.fractions_ = static_cast<wp_fractional_scale_manager_v1*>(
        wl_registry_bind(registry, name, &wp_fractional_scale_manager_v1_interface, 1));
  } else if (named == wl_seat_interface.name && self.seat_ == nullptr) {
    self.seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, 5u)));
    static const wl_seat_listener listener{&WaylandDisplay::seat_capabilities,
                                           [](void*, wl_seat*, const char*) {}};
    wl_seat_add_listener(self.seat_, &listener, &self);
  } else if (named == wl_output_interface.name && version >= 2) {
    auto output = std::make_unique<Output>();
    output->name = name;
    output->output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 2));
    static const wl_output_listener listener{
        [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, const char*,
           const char*, std::int32_t) {},
        &WaylandDisplay::output_mode, [](void*, wl_output*) {}, &WaylandDisplay::output_scale,
        [](void*, wl_output*, const char*) {}, [](void*, wl_output*, const char*) {}};
    wl_output_add_listener(output->output, &listener, &self);
    self.outputs_.push_back(std::move(output));
  }
}

void WaylandDisplay::global_remove(void* data, wl_registry*, std::uint32_t name) {
  auto& self = *static_cast<WaylandDisplay*>(data);
  const auto gone = std::find_if(self.outputs_.begin(), self.outputs_.end(),
                                 [name](const auto& output) { return output->name == name; });
  if (gone == self.outputs_.end()) {
    return;
  }
  for (auto& [window, native] : self.natives_) {
    if (std::erase(native->outputs, gone->get()) > 0) self.rescale(*native);
  }
  wl_output_destroy((*gone)->output);
  self.outputs_.erase(gone);
}

void WaylandDisplay::output_scale(void* data, wl_output* output, std::int32_t factor) {
  auto& self = *static_cast<WaylandDisplay*>(data);
  for (const auto& known : self.outputs_) {
    if (known->output == output) known->scale = std::max(factor, 1);
  }
  for (auto& [window, native] : self.natives_) {
    self.rescale(*native);
  }
}

void WaylandDisplay::output_mode(void* data, wl_output* output, std::uint32_t flags, std::int32_t width,
                                 std::int32_t height, std::int32_t) {
  auto& self = *static_cast<WaylandDisplay*>(data);
  for (const auto& known : self.outputs_) {
    if (known->output == output && (flags & WL_OUTPUT_MODE_CURRENT) != 0) known->mode = {width, height};
  }
}

const WaylandDisplay::Output* WaylandDisplay::output_of(wl_output* output) const {
  for (const auto& known : outputs_) {
    if (known->output == output) return known.get();
  }
  return nullptr;
}

// Wayland tells no client where its windows are: the monitor is the first output, at the origin,
// in the device pixels of its current mode.
Rect WaylandDisplay::monitor() {
  for (const auto& output : outputs_) {
    if (output->mode.width > 0 && output->mode.height > 0) return Rect::at({0, 0}, output->mode);
  }
  return Rect::at({0, 0}, {1920 * scale_, 1080 * scale_});
}

// The connection is gone or the compositor ended it over a request it refused: either way the
// program cannot go on.
void WaylandDisplay::lost() {
  std::string detail = "the Wayland compositor";
  if (wl_display_get_error(display_) == EPROTO) {
    const wl_interface* interface = nullptr;
    std::uint32_t id = 0;
    const std::uint32_t code = wl_display_get_protocol_error(display_, &interface, &id);
    detail += " (it refused a request: " + std::string(interface != nullptr ? interface->name : "?") + " error " +
              std::to_string(code) + ")";
  }
  if (report_ != nullptr) report_({DisplayFailure::Kind::ConnectionLost, detail});
  std::_Exit(1);
}

bool WaylandDisplay::start_decorations() {
  if (decorations_ == nullptr) {
    decorations_report = report_;
    static libdecor_interface decoration_interface{&WaylandDisplay::decoration_error, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}};
    decorations_ = libdecor_new(display_, &decoration_interface);
    if (decorations_ != nullptr) share_fontconfig();  // its plugin draws the caption's text with pango
  }
  return decorations_ != nullptr;
}

void WaylandDisplay::decoration_error(libdecor*, libdecor_error, const char* message) {
  if (decorations_report != nullptr) {
    decorations_report({DisplayFailure::Kind::ConnectionLost,
                        std::string("the Wayland compositor (libdecor: ") + (message != nullptr ? message : "") + ")"});
  }
  std::_Exit(1);
}

bool WaylandDisplay::pump(bool wait, std::optional<std::chrono::milliseconds> limit) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point give_up = limit ? Clock::now() + *limit : Clock::time_point::max();
  reported_ = false;
  for (;;) {
    while (wl_display_prepare_read(display_) != 0) {
      if (wl_display_dispatch_pending(display_) < 0) lost();
    }
    // What cannot be sent yet waits for the socket to take it.
    const int flushed = wl_display_flush(display_);
    const bool unsent = flushed < 0 && errno == EAGAIN;
    if (flushed < 0 && !unsent) {
      wl_display_cancel_read(display_);
      lost();
    }
    int timeout = 0;
    if (wait && !reported_) {
      timeout = limit ? static_cast<int>(std::max<Clock::rep>(
                            std::chrono::ceil<std::chrono::milliseconds>(give_up - Clock::now()).count(), 0))
                      : -1;
    }
    pollfd watched{wl_display_get_fd(display_), static_cast<short>(POLLIN | (unsent ? POLLOUT : 0)), 0};
    const int ready = poll(&watched, 1, timeout);
    if (ready > 0 && (watched.revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
      if (wl_display_read_events(display_) < 0) lost();
    } else {
      wl_display_cancel_read(display_);
    }
    if (wl_display_dispatch_pending(display_) < 0 || wl_display_dispatch_queue_pending(display_, releases_) < 0) {
      lost();
    }
    expose_waiting();
    if (!wait || reported_) {
      return reported_ || !wait;
    }
    if (limit && Clock::now() >= give_up) {
      return false;
    }
  }
}

std::unique_ptr<NativeDisplay> open_wayland_display(const ProgramIdentity& identity, std::string& error,
                                                    DisplayFailureReport report) {
  // libwayland's own complaints (no runtime directory, a broken connection) would be lines of their
  // own beside the program's one.
  wl_log_set_handler_client([](const char*, va_list) {});
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    error = std::string("no Wayland compositor answers at \"") + (name != nullptr && *name != '\0' ? name : "wayland-0") +
            "\"";
    return nullptr;
  }
  auto opened = std::make_unique<WaylandDisplay>(display, identity, report);
  if (!opened->start(error)) {
    return nullptr;
  }
  return opened;
}

}  // namespace platform
