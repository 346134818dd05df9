#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/pixel.h"
#include "platform/graphics/surface.h"
#include "platform/window_system/window.h"

namespace platform {

// Why the desktop's display cannot go on: it refused a request the program sent it, or the
// connection to it was lost. The detail is in the display's own terms (the refused request, or
// what the lost connection went to); the program words the message, and the process ends once it has.
struct DisplayFailure {
  enum class Kind { RequestRefused, ConnectionLost } kind;
  std::string detail;
};
using DisplayFailureReport = void (*)(const DisplayFailure&);

// What the program is called and how it looks in the desktop's lists of windows, handed to the
// display when it is opened: the window system itself stands for no program. The texts and
// pixels are the program's constants and outlive the display.
struct ProgramIdentity {
  std::string_view application_id;  // reverse-domain name, as the desktop entry's: WM_CLASS's class
  std::string_view instance_name;   // the executable's name: WM_CLASS's instance
  std::string_view window_class;    // the native window class the windows are made in (Win32)
  // The icon at several sizes: for each its width, its height, then its pixels as 0xAARRGGBB
  // (alpha not premultiplied), rows from the top. Empty where the program has none to give.
  std::span<const std::uint32_t> icon;
  int icon_resource = 0;  // where icons are the program's resources (Win32): the icon's number
};


enum class MouseButton { Left, Right, Middle };

enum class SystemColour { ButtonFace, ButtonText, GrayText };

struct SystemMetrics {
  Size drag_distance{4, 4};  // how far a held button may move either way before a drag begins
  std::uint32_t double_click_time = 500;  // milliseconds from one press to the next, at most
  Size double_click_distance{4, 4};  // how far the second press may lie from the first either way
};

// What a push button shows of its state.
struct ButtonLook {
  bool pressed = false;
  bool focused = false;
  bool enabled = true;
};

// What a backend hands over for a top-level window it has made: its own handle of the window and
// the surface the window system paints into.
struct NativeWindow {
  std::uintptr_t handle = 0;
  Surface surface;
};

// What the window system stands on: a screen with top-level windows on it and a source of input.
// The window system calls a backend only through this class, and a backend reports what happens
// only through the functions of namespace input below: it translates, and every decision (where a
// window goes, what its frame is taken to be, when it moves again) is the window system's.
class NativeDisplay {
 public:
  virtual ~NativeDisplay() = default;

  // The primary monitor: where it lies on the desktop and its size, in device pixels.
  virtual Rect monitor() = 0;
  // The part of the desktop that panels and docks leave to windows, as the desktop tells it;
  // nothing where it does not. The window system cuts it to the primary monitor.
  virtual std::optional<Rect> work_area() { return std::nullopt; }
  // The desktop's resolution in dots per inch; the window system takes the scale from it.
  virtual int dpi() = 0;
  // The frame the desktop is expected to put around a top-level window of this style, before it
  // has framed one; what it really puts comes later through input::frame_changed. The answer
  // stays the same until the display next reports (pump), so that a window is made with the frame
  // it was placed for.
  virtual FrameExtents frame_extents(std::uint32_t style) = 0;

  // Makes the native window of a top-level window whose inner area goes at `window.bounds`'
  // top-left on the screen with a size of `window.device_size()`, and hands over a surface of that
  // width that holds all its rows or a band of a whole number of layout rows. Nothing on failure.
  // The backend keeps `window` to report what happens to it, and writes nothing in it.
  virtual std::optional<NativeWindow> create_window(const WindowNode& window) = 0;
  // The window's scale has changed: gives its native window the new device size with its inner
  // area's top-left at `inner_origin`, and hands over a new surface. Nothing, with the window as
  // it was, on failure or where the backend cannot do it; the window then keeps its old scale.
  virtual std::optional<Surface> resize_window(const WindowNode& /*window*/, Point /*inner_origin*/) {
    return std::nullopt;
  }
  // Asks for the window's inner area to go to `inner_origin` on the screen; where it really goes
  // comes back through input::moved.
  virtual void place_window(const WindowNode& window, Point inner_origin) = 0;
  // Shows the window again with its inner area at `inner_origin`, for a desktop that keeps a shown
  // window from a place it is asked to move to but takes the place a window is shown at; where it
  // goes comes back through input::moved.
  virtual void show_anew(const WindowNode& window, Point inner_origin) { place_window(window, inner_origin); }
  virtual void destroy_window(const WindowNode& window) = 0;
  virtual void set_title(const WindowNode& window) = 0;
  // Shows the window in the normal state, which also activates it.
  virtual void show(const WindowNode& window) = 0;
  // False while a shown window has not yet reached the screen: what was painted then would be
  // lost, so painting waits for the window's first exposure.
  virtual bool on_screen(const WindowNode& /*window*/) { return true; }

  // Shows an area of the window, in device pixels of the inner area, from the surface's rows, and
  // hands back the pixels to paint next: the surface's own, or other memory of the same layout
  // where the backend still reads the ones just shown.
  virtual Pixel* present(const WindowNode& window, const Rect& area) = 0;

  // The desktop's own colours and its settings for drags and double clicks, where it has them;
  // the window system's conventional ones stand in for what it has not.
  virtual std::optional<Pixel> system_colour(SystemColour /*which*/) { return std::nullopt; }
  virtual std::optional<SystemMetrics> system_metrics() { return std::nullopt; }

  // A push button's face, frame and focus ring in the desktop's own look, without the caption:
  // a 24-bit bitmap of the button's size in device pixels. Nothing when the desktop has no look of its own to
  // offer; the window system then draws its conventional one.
  virtual std::unique_ptr<Bitmap> button_face(Size /*size*/, const ButtonLook& /*look*/) { return nullptr; }

  // Reports the input that has arrived. With `wait`, first waits for input: without a limit, or
  // at most the given time; false when the limit passed with nothing to report.
  virtual bool pump(bool wait, std::optional<std::chrono::milliseconds> limit) = 0;
};

// The backend's reports, in device pixels: points and areas of a top-level window's inner area,
// the inner area's top-left on the screen. Times are in milliseconds of the display's own clock;
// they decide what is a double click.
namespace input {
void pointer_moved(const WindowNode& top, Point at, std::uint32_t time);
void button(const WindowNode& top, MouseButton button, bool pressed, Point at, std::uint32_t time);
void key(const WindowNode& top, Key key, bool pressed, std::int32_t modifiers);
void activation(const WindowNode& top, bool active);
void close_requested(const WindowNode& top);
void moved(const WindowNode& top, Point inner_origin);
// A window manager that started after the window was shown has taken it into a frame of its own.
void adopted(const WindowNode& top);
// The frame that the desktop has put around the window, each time it changes.
void frame_changed(const WindowNode& top, const FrameExtents& frame);
void state_changed(const WindowNode& top, bool minimized);
void exposed(const WindowNode& top, const Rect& area);
void colour_scheme_changed();
// The desktop's resolution (Display::dpi) has changed: windows take the scale it asks for.
void resolution_changed();
}  // namespace input

}  // namespace platform
