#pragma once

// The Wayland display's class, for the files that implement it: wayland_display.cpp (the
// connection, the compositor's globals and outputs, the wait for events), toplevel.cpp (the
// windows and their frames through libdecor), xdg_toplevel.cpp (the toplevels the compositor
// decorates), presentation.cpp (the showing of their pixels), surface_scale.cpp (the scale a
// window is shown at) and seat.cpp (pointer and keyboard).

#include <libdecor.h>
#include <wayland-client.h>
#include <wayland-cursor.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fractional-scale-v1-client-protocol.h"
#include "platform/wayland/backend.h"
#include "platform/wayland/shm_buffer.h"
#include "platform/window_system/seam.h"
#include "viewporter-client-protocol.h"
#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace platform {

class WaylandDisplay final : public NativeDisplay {
 public:
  WaylandDisplay(wl_display* display, const ProgramIdentity& identity, DisplayFailureReport report);
  ~WaylandDisplay() override;

  // Binds what the program needs; false, with the reason in `error`, where the compositor lacks it.
  bool start(std::string& error);

  Rect monitor() override;
  std::optional<Rect> work_area() override { return monitor(); }
  int dpi() override { return 96 * scale_; }
  // The compositor decorates outside the surface, or libdecor does: the inner area is all there is.
  FrameExtents frame_extents(std::uint32_t) override { return {}; }
  std::optional<NativeWindow> create_window(const WindowNode& window) override;
  std::optional<Surface> resize_window(const WindowNode& window, Point inner_origin) override;
  void place_window(const WindowNode& window, Point inner_origin) override;
  void destroy_window(const WindowNode& window) override;
  void set_title(const WindowNode& window) override;
  void show(const WindowNode& window) override;
  bool on_screen(const WindowNode& window) override;
  Pixel* present(const WindowNode& window, const Rect& area) override;
  bool pump(bool wait, std::optional<std::chrono::milliseconds> limit) override;

 private:
  struct Output {
    wl_output* output = nullptr;
    std::uint32_t name = 0;
    int scale = 1;
    Size mode;
  };
  struct Native {
    const WindowNode* window = nullptr;
    WaylandDisplay* display = nullptr;
    wl_surface* surface = nullptr;
    // Framed by libdecor where the compositor does not decorate; else a toplevel of its own that
    // the compositor decorates.
    libdecor_frame* frame = nullptr;
    xdg_surface* shell_surface = nullptr;
    xdg_toplevel* toplevel = nullptr;
    zxdg_toplevel_decoration_v1* decoration = nullptr;
    bool framed_here = false;  // the compositor has asked the program to draw the frame after all
    bool activated = false;  // as the toplevel's latest configure tells, for the next xdg_surface configure
    // The window system paints into buffers[painted] while the compositor may read the other.
    std::unique_ptr<ShmBuffer> buffers[2];
    int painted = 0;
    Rect pending;  // painted, not yet shown
    wl_callback* frame_callback = nullptr;
    bool configured = false;
    bool active = false;
    std::vector<const Output*> outputs;  // those the surface is on
    // Where the compositor tells the scale it prefers, in 120ths; 0 until it has.
    wp_fractional_scale_v1* fraction = nullptr;
    wp_viewport* viewport = nullptr;
    std::uint32_t scale_120 = 0;
    Size logical;  // the surface's size in the compositor's logical pixels
  };

  // Registry, outputs and frames: wayland_display.cpp and toplevel.cpp.
  static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version);
  static void global_remove(void* data, wl_registry* registry, std::uint32_t name);
  static void output_scale(void* data, wl_output* output, std::int32_t factor);
  static void output_mode(void* data, wl_output* output, std::uint32_t flags, std::int32_t width,
                          std::int32_t height, std::int32_t refresh);
  static void surface_enter(void* data, wl_surface* surface, wl_output* output);
  static void surface_leave(void* data, wl_surface* surface, wl_output* output);
  static void preferred_scale(void* data, wp_fractional_scale_v1* fraction, std::uint32_t scale_120);
  static void configure(libdecor_frame* frame, libdecor_configuration* configuration, void* data);
  static void close(libdecor_frame* frame, void* data);
  static void commit(libdecor_frame* frame, void* data);
  static void decoration_error(libdecor* context, libdecor_error error, const char* message);
  bool start_decorations();
  bool decorate(Native& native);
  const Output* output_of(wl_output* output) const;
  void watch_scale(Native& native);
  void rescale(Native& native);
  void fit_surface(Native& native);
  void configured(Native& native, bool active);

  // Toplevels the compositor decorates: xdg_toplevel.cpp.
  static void ping(void* data, xdg_wm_base* shell, std::uint32_t serial);
  static void shell_configure(void* data, xdg_surface* shell_surface, std::uint32_t serial);
  static void toplevel_configure(void* data, xdg_toplevel* toplevel, std::int32_t width, std::int32_t height,
                                 wl_array* states);
  static void toplevel_close(void* data, xdg_toplevel* toplevel);
  static void decoration_configure(void* data, zxdg_toplevel_decoration_v1* decoration, std::uint32_t mode);
  void make_toplevel(Native& native);
  void destroy_toplevel(Native& native);
  void frame_instead(Native& native);

  // The showing of the pixels: presentation.cpp.
  static void frame_done(void* data, wl_callback* callback, std::uint32_t time);
  bool make_buffers(Native& native);
  Surface painted_surface(const Native& native) const;
  void show_painted(Native& native);
  void expose_waiting();
  [[noreturn]] void lost();

  // Pointer and keyboard: seat.cpp.
  static void seat_capabilities(void* data, wl_seat* seat, std::uint32_t capabilities);
  static void pointer_enter(void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface,
                            wl_fixed_t x, wl_fixed_t y);
  static void pointer_leave(void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface);
  static void pointer_motion(void* data, wl_pointer* pointer, std::uint32_t time, wl_fixed_t x, wl_fixed_t y);
  static void pointer_button(void* data, wl_pointer* pointer, std::uint32_t serial, std::uint32_t time,
                             std::uint32_t button, std::uint32_t state);
  static void keyboard_keymap(void* data, wl_keyboard* keyboard, std::uint32_t format, std::int32_t fd,
                              std::uint32_t size);
  static void keyboard_enter(void* data, wl_keyboard* keyboard, std::uint32_t serial, wl_surface* surface,
                             wl_array* keys);
  static void keyboard_leave(void* data, wl_keyboard* keyboard, std::uint32_t serial, wl_surface* surface);
  static void keyboard_key(void* data, wl_keyboard* keyboard, std::uint32_t serial, std::uint32_t time,
                           std::uint32_t key, std::uint32_t state);
  static void keyboard_modifiers(void* data, wl_keyboard* keyboard, std::uint32_t serial, std::uint32_t depressed,
                                 std::uint32_t latched, std::uint32_t locked, std::uint32_t group);
  const WindowNode* window_of(wl_surface* surface) const;
  const Native* native_of(wl_surface* surface) const;
  Point device_point(const Native& native, wl_fixed_t x, wl_fixed_t y) const;
  void release_seat();
  void show_cursor(std::uint32_t serial);

  Native* native_of(const WindowNode& window);

  const ProgramIdentity identity_;
  DisplayFailureReport report_;
  wl_display* display_;
  wl_registry* registry_ = nullptr;
  wl_compositor* compositor_ = nullptr;
  wl_shm* shm_ = nullptr;
  wl_seat* seat_ = nullptr;
  xdg_wm_base* shell_ = nullptr;
  zxdg_decoration_manager_v1* decoration_manager_ = nullptr;
  wp_viewporter* viewporter_ = nullptr;
  wp_fractional_scale_manager_v1* fractions_ = nullptr;
  // Only where the compositor does not decorate, or asks the program to after all, so that
  // libdecor's plugin is loaded only there.
  libdecor* decorations_ = nullptr;
  // The buffers' releases, dispatched apart while a present waits for one.
  wl_event_queue* releases_ = nullptr;
  std::vector<std::unique_ptr<Output>> outputs_;
  int scale_ = 1;
  std::map<const WindowNode*, std::unique_ptr<Native>> natives_;
  bool reported_ = false;  // something was told to the window system since the last pump

  wl_pointer* pointer_ = nullptr;
  const WindowNode* pointer_window_ = nullptr;
  Point pointer_at_;
  // The arrow shown over the windows, from the desktop's cursor theme at the display's scale.
  wl_cursor_theme* cursor_theme_ = nullptr;
  int cursor_scale_ = 0;
  wl_surface* cursor_surface_ = nullptr;
  wl_keyboard* keyboard_ = nullptr;
  const WindowNode* keyboard_window_ = nullptr;
  xkb_context* xkb_ = nullptr;
  xkb_keymap* keymap_ = nullptr;
  xkb_state* key_state_ = nullptr;
};

}  // namespace platform
