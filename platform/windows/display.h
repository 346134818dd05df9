#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/pixel.h"
#include "platform/windows/window.h"

namespace platform {

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

// What the window system stands on: a screen with top-level windows on it and a source of input.
// A backend reports input through the functions of namespace input below.
class Display {
 public:
  virtual ~Display() = default;

  // The primary monitor's size, in device pixels.
  virtual Size screen_size() = 0;
  // The part of the primary monitor that panels and docks leave to windows.
  virtual Rect work_area() { return Rect::at({0, 0}, screen_size()); }
  // The desktop's resolution in dots per inch; the window system takes the scale from it.
  virtual int dpi() = 0;
  // The frame the desktop puts around a top-level window of this style.
  virtual FrameExtents frame_extents(std::uint32_t style) = 0;

  // Makes the native window of a top-level window with its frame's top-left at `outer_origin`
  // and an inner area of `window.device_size()`, and gives it a surface of that width that holds
  // all its rows or a band of a whole number of layout rows. False on failure.
  virtual bool create_window(Window& window, Point outer_origin) = 0;
  // The window's scale has changed: gives its native window and its surface the new device size,
  // with the frame's top-left at `outer_origin`. False, with the window as it was, on failure or
  // where the backend cannot do it; the window then keeps its old scale.
  virtual bool resize_window(Window& /*window*/, Point /*outer_origin*/) { return false; }
  virtual void destroy_window(Window& window) = 0;
  virtual void set_title(Window& window) = 0;
  // Shows the window in the normal state, which also activates it.
  virtual void show(Window& window) = 0;
  // False while a shown window has not yet reached the screen: what was painted then would be
  // lost, so painting waits for the window's first exposure.
  virtual bool on_screen(const Window& /*window*/) { return true; }

  // Shows an area of the window, in device pixels of the inner area, from the surface's rows.
  virtual void present(Window& window, const Rect& area) = 0;

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
void pointer_moved(Window& top, Point at, std::uint32_t time);
void button(Window& top, MouseButton button, bool pressed, Point at, std::uint32_t time);
void key(Window& top, Key key, bool pressed, std::int32_t modifiers);
void activation(Window& top, bool active);
void close_requested(Window& top);
void moved(Window& top, Point inner_origin);
void state_changed(Window& top, bool minimized);
void exposed(Window& top, const Rect& area);
void colour_scheme_changed();
// The desktop's resolution (Display::dpi) has changed: windows take the scale it asks for.
void resolution_changed();
}  // namespace input

}  // namespace platform
