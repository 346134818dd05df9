#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/window_system/seam.h"

namespace platform {

// An in-memory screen for tests: windows get surfaces in memory, input is injected at screen
// points, and every window's pixels can be read back. Screen points are device pixels; windows
// are shown at the scale that the chosen resolution asks for.
class HeadlessDisplay : public NativeDisplay {
 public:
  static constexpr FrameExtents default_frame{4, 4, 30, 4};

  explicit HeadlessDisplay(Size screen, FrameExtents frame = default_frame, int dpi = 96);

  Rect monitor() override { return monitor_; }
  std::optional<Rect> work_area() override { return work_area_; }
  int dpi() override { return dpi_; }
  FrameExtents frame_extents(std::uint32_t style) override;
  std::optional<NativeWindow> create_window(const WindowNode& window) override;
  std::optional<Surface> resize_window(const WindowNode& window, Point inner_origin) override;
  void place_window(const WindowNode& window, Point inner_origin) override;
  void show_anew(const WindowNode& window, Point inner_origin) override;
  void destroy_window(const WindowNode& window) override;
  void set_title(const WindowNode&) override {}
  void show(const WindowNode& window) override;
  bool on_screen(const WindowNode& window) override;
  Pixel* present(const WindowNode& window, const Rect& area) override;
  bool pump(bool wait, std::optional<std::chrono::milliseconds> limit) override;

  // --- What a test does, as the user would ----------------------------------------------
  // Pointer input at a screen point goes to the top-level window whose inner area holds it.
  void move_pointer(Point screen);
  void press(MouseButton button, Point screen);
  void release(MouseButton button, Point screen);
  void click(MouseButton button, Point screen);
  void key(Key key, bool pressed, std::int32_t modifiers = NoModifier);
  void type(Key key, std::int32_t modifiers = NoModifier);
  void request_close(const WindowNode& window);
  void minimize(const WindowNode& window);
  void restore(const WindowNode& window);
  void move_window(const WindowNode& window, Point outer_origin);
  void activate(const WindowNode* window);
  void change_colour_scheme() { input::colour_scheme_changed(); }
  // The desktop's resolution changes, as when the user picks another in its settings.
  void change_resolution(int dpi);
  // Panels and docks take the rest of the screen.
  void set_work_area(const Rect& area) { work_area_ = area; }
  // The primary monitor lies elsewhere on a larger desktop, as beside another monitor.
  void set_monitor(const Rect& monitor) { monitor_ = monitor; }
  // While set, windows go where the window system asks only when release_moves() says so, as
  // under a window manager that is slow to answer; the newest `keep` moves stay held.
  void hold_moves(bool hold) { hold_moves_ = hold; }
  void release_moves(std::size_t keep = 0);
  // The next `places` places a window is shown at or asked to go to are read as its frame's
  // top-left, as by a window manager that does not honour the window's gravity.
  void read_places_as_frames(int places) { places_read_as_frames_ = places; }
  // While set, the window manager keeps a frame's left edge on the monitor: where a window is shown
  // (as xfwm4 does), or where it is asked to move to once shown (as icewm does).
  enum class Pushes { None, WhereShown, WhenMoved };
  void push_onto_screen(Pushes pushes) { pushes_ = pushes; }
  // A window manager that started after the window was shown takes it into this frame, with the
  // frame's top-left where the inner area was.
  void adopt(const WindowNode& window, const FrameExtents& frame);
  // The window manager frames the window, or frames it again, with this frame.
  void change_frame(const WindowNode& window, const FrameExtents& frame) { input::frame_changed(window, frame); }
  // While set, making a top-level window fails, as on a display that has run out of resources.
  void refuse_windows(bool refuse) { refuse_windows_ = refuse; }
  // While set above 0, top-level windows made from then on get a surface of that many layout rows,
  // which the window system paints them through band by band, and the screen keeps what each
  // band presented.
  void paint_in_bands(int layout_rows) { band_rows_ = layout_rows; }
  // While set, a window shown from then on reaches the screen only when expose() says so, as
  // under a window manager that takes its time to map it.
  void hold_exposure(bool hold) { hold_exposure_ = hold; }
  // The window reaches the screen, all of it exposed.
  void expose(const WindowNode& window);
  // Part of the window, in device pixels of its inner area, comes out from under another one:
  // what the screen showed there is lost until the window is painted again.
  void uncover(const WindowNode& window, const Rect& area);
  // Lets time pass, so that the next press is no double click.
  void wait_ms(std::uint32_t milliseconds) { clock_ += milliseconds; }

  // Called when the window system would wait for input with none left; it injects the next
  // input, or returns false when the test has no more (the wait then fails rather than hangs).
  void on_idle(std::function<bool()> idle) { idle_ = std::move(idle); }

  // --- What a test reads back ------------------------------------------------------------
  // The top-level window in front of the others, or nullptr on an empty screen.
  const WindowNode* topmost_window() const { return windows_.empty() ? nullptr : windows_.back(); }
  Point outer_origin(const WindowNode& window) const;
  Size outer_size(const WindowNode& window) const;
  // A pixel of a window's inner area, in layout pixels: the top-left device pixel of
  // its block.
  Pixel pixel(const WindowNode& window, Point at) const;
  // A pixel of a top-level window's inner area, in device pixels: its surface's, or where it is
  // painted in bands, what was last presented there.
  Pixel device_pixel(const WindowNode& top, Point at) const;
  std::size_t presents() const { return presents_; }

 private:
  struct WindowPixels {
    std::vector<Pixel> pixels;
    std::vector<Pixel> shown;  // with bands: the whole inner area as presented, rows of its width
    bool on_screen = true;
  };
  const WindowNode* top_level_at(Point screen, Point& inner) const;
  Surface make_surface(const WindowNode& window);
  // Where the inner area arrives when it is asked to go to `inner_origin`.
  Point read(const WindowNode& window, Point inner_origin);
  // Where a window manager that pushes windows of `pushes` kind onto the screen puts it.
  Point pushed(const WindowNode& window, Point inner_origin, Pushes pushes) const;

  Rect monitor_;
  std::optional<Rect> work_area_;
  FrameExtents frame_;
  int dpi_;
  std::uint32_t clock_ = 1000;
  std::vector<const WindowNode*> windows_;  // top-level windows, the topmost last
  const WindowNode* active_ = nullptr;
  std::map<const WindowNode*, std::unique_ptr<WindowPixels>> natives_;
  std::function<bool()> idle_;
  bool refuse_windows_ = false;
  int band_rows_ = 0;
  bool hold_exposure_ = false;
  bool hold_moves_ = false;
  int places_read_as_frames_ = 0;
  Pushes pushes_ = Pushes::None;
  std::vector<std::pair<const WindowNode*, Point>> held_moves_;
  std::size_t presents_ = 0;
};

}  // namespace platform
