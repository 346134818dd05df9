#pragma once

// The X11 display's class, for the files that implement it: display.cpp (the connection, the
// windows and their surfaces, the wait for events), window_manager.cpp (atoms, properties, hints
// and the window manager's answers: what the program tells and asks the window manager) and
// events.cpp (one small handler per X event type).

#include <X11/Xlib.h>

#include <array>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window_system/seam.h"
#include "platform/x11/backend.h"
#include "platform/x11/image.h"
#include "platform/x11/pixel_format.h"

namespace platform {

class X11Display final : public NativeDisplay {
 public:
  // Without a query of its own, the primary monitor comes from RandR.
  X11Display(::Display* x, const ProgramIdentity& identity, MonitorQuery monitor, std::string& error,
             DisplayFailureReport report);
  ~X11Display() override;

  bool usable() const { return usable_; }

  Rect monitor() override { return monitor_; }
  int dpi() override { return dpi_; }
  FrameExtents frame_extents(std::uint32_t style) override;
  std::optional<Rect> work_area() override;
  std::optional<NativeWindow> create_window(const WindowNode& window) override;
  std::optional<Surface> resize_window(const WindowNode& window, Point inner_origin) override;
  void place_window(const WindowNode& window, Point inner_origin) override;
  void show_anew(const WindowNode& window, Point inner_origin) override;
  void destroy_window(const WindowNode& window) override;
  void set_title(const WindowNode& window) override;
  void show(const WindowNode& window) override;
  bool on_screen(const WindowNode& window) override;
  Pixel* present(const WindowNode& window, const Rect& area) override;
  bool pump(bool wait, std::optional<std::chrono::milliseconds> limit) override;

 private:
  struct Native {
    ::Window xid = 0;
    GC gc = nullptr;
    std::unique_ptr<X11Image> image;
    bool frame_told = false;     // the window manager sets the frame's extents on the window
    bool managed = false;        // a window manager has taken the window (it set WM_STATE)
    bool framed = false;         // a window manager has put the window into a frame of its own
    bool mapped = false;         // the window has been on the screen
    std::optional<Point> show_anew_at;  // withdrawn, to be shown there once the window manager lets go
    // The place last reported, and the first request of the latest move or map asked for: a report
    // of the same place again tells something only as the first answer to that request.
    std::optional<Point> reported;
    unsigned long asked_serial = 0;
    bool answered = false;
    bool destroyed = false;      // by another client
    bool exposed = false;        // the server has shown the window: what is sent to it is kept
    // While a shown window has not reached the screen: when to look again, and how long after that.
    std::optional<std::chrono::steady_clock::time_point> map_check;
    std::chrono::milliseconds map_patience{0};
  };

  void intern_atoms();
  void request_frame_extents();
  void frame_extents_arrived(const WindowNode& window, Native& native);
  void frame_of_parent_arrived(const WindowNode& window, const Native& native);
  Native* native_of(const WindowNode& window);
  std::optional<Rect> randr_monitor();
  void check_maps();
  void map_anew(const WindowNode& window, Native& native);
  void note_request(Native& native);
  void report_place(const WindowNode& window, Native& native, Point origin, unsigned long serial);
  std::optional<std::chrono::steady_clock::time_point> next_map_check() const;
  bool report_queued_events();
  bool read_dpi();
  std::unique_ptr<X11Image> make_image(const WindowNode& window);
  void set_size_hints(::Window xid, Point inner_origin, Size size);
  void set_hints(const WindowNode& window, ::Window xid, Point inner_origin);
  bool handle(XEvent& event);
  using EventHandler = bool (X11Display::*)(XEvent&, const WindowNode&);
  using EventTable = std::array<EventHandler, LASTEvent>;
  static const EventTable& event_table();
  bool on_root_property(const XPropertyEvent& event);
  bool on_expose(XEvent& event, const WindowNode& window);
  bool on_configure(XEvent& event, const WindowNode& window);
  bool on_reparent(XEvent& event, const WindowNode& window);
  bool on_map(XEvent& event, const WindowNode& window);
  bool on_probe_property(const XPropertyEvent& event);
  bool on_destroy(XEvent& event, const WindowNode& window);
  bool on_client_message(XEvent& event, const WindowNode& window);
  bool on_focus_in(XEvent& event, const WindowNode& window);
  bool on_focus_out(XEvent& event, const WindowNode& window);
  bool on_property(XEvent& event, const WindowNode& window);
  bool on_button(XEvent& event, const WindowNode& window);
  bool on_motion(XEvent& event, const WindowNode& window);
  bool on_key(XEvent& event, const WindowNode& window);
  const WindowNode* window_of(::Window xid);
  // A property's values, at most `most`: 32-bit values come as longs (as Xlib hands them over), 8-bit
  // ones as chars; none when the property is absent or of another type or format.
  template <typename Value>
  std::vector<Value> read_property(::Window xid, Atom property, Atom type, long most);
  std::vector<long> property_values(::Window xid, Atom property, Atom type, long most) {
    return read_property<long>(xid, property, type, most);
  }
  // Replaces a property with 32-bit values, given as longs, or with 8-bit text.
  void write_property(::Window xid, Atom property, Atom type, std::span<const long> values);
  void write_property(::Window xid, Atom property, Atom type, std::string_view text);
  std::optional<FrameExtents> read_frame_extents(::Window xid);
  // Where a window's top-left is on the screen; none for a window that is gone.
  std::optional<Point> screen_origin(::Window xid);
  long window_state(::Window xid);

  const ProgramIdentity identity_;
  ::Display* x_;
  int screen_number_;
  ::Window root_;
  Visual* visual_;
  int depth_;
  std::optional<PixelFormat> format_;
  bool usable_ = false;
  bool shm_ = false;
  bool detectable_auto_repeat_ = false;
  Rect monitor_;
  int dpi_ = 96;
  std::optional<FrameExtents> frame_;
  bool frame_asked_ = false;
  ::Window frame_probe_ = 0;
  std::map<const WindowNode*, Native> natives_;
  std::map<::Window, const WindowNode*> by_xid_;

  Atom wm_protocols_ = None, wm_delete_window_ = None, wm_state_ = None, net_wm_name_ = None,
       utf8_string_ = None, net_wm_pid_ = None, net_frame_extents_ = None, net_request_frame_extents_ = None,
       motif_wm_hints_ = None, net_wm_window_type_ = None, net_wm_window_type_normal_ = None,
       resource_manager_ = None, net_wm_icon_ = None, net_workarea_ = None;
};

}  // namespace platform
