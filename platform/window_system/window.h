#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/geometry.h"
#include "platform/graphics/pixel.h"
#include "platform/graphics/surface.h"
#include "platform/window_system/messages.h"

namespace platform {

// Style bits of windows. The upper ones are those of a top-level window's caption; the lower ones
// describe child controls.
inline constexpr std::uint32_t style_title_bar = 0x00C00000;
inline constexpr std::uint32_t style_window_menu = 0x00080000;
inline constexpr std::uint32_t style_minimize_box = 0x00020000;
inline constexpr std::uint32_t style_maximize_box = 0x00010000;
inline constexpr std::uint32_t style_sizing_border = 0x00040000;
inline constexpr std::uint32_t style_notify = 0x00000100;  // a picture reports clicks to its parent

class NativeDisplay;
class WindowNode;
struct WindowClass;

// What the window system keeps of a window, and writes alone.
struct WindowState {
  const WindowClass* window_class = nullptr;
  WindowNode* parent = nullptr;
  std::vector<WindowNode*> children;  // in creation order, which is the order of tab stops
  std::string text;               // caption or title, ISO 8859-1
  std::uint32_t style = 0;
  std::intptr_t id = 0;           // a child's identifier, reported with its commands
  // A child's in the parent's inner area, in layout pixels. A top-level's inner area: its top-left
  // on the screen in device pixels, its size in layout pixels.
  Rect bounds;
  FrameExtents frame;             // top-level only
  bool visible = false;
  bool enabled = true;
  bool tab_stop = false;
  bool minimized = false;
  Handler handler;
  std::map<std::string, std::intptr_t, std::less<>> properties;

  // Painting: the area still to paint, in this window's own inner coordinates.
  Rect update;
  bool erase = false;

  // Top-level only: what the display keeps for the window. The window system chooses the scale
  // before the display makes the native window, which has the device size: the display reports
  // input and shows areas in device pixels of the inner area.
  std::uintptr_t native = 0;
  int scale = 1;  // device pixels per layout pixel, on each axis
  Surface surface;
  Rect damage;  // painted but not yet shown, in inner layout coordinates

  // Top-level only: where the window system last asked the inner area to go on the screen, whether
  // the display has not yet reported it there, and whether the window is still where the window
  // system centred it. A centred window follows every change of its frame until the user moves it.
  // Some window managers take a window's position for its frame's, whatever the window says, and
  // some do so only when they first frame it.
  struct Placement {
    Point asked;
    bool awaiting = true;
    bool centred = false;
    bool frame_placed = false;  // the desktop puts the frame's top-left where the window is asked to go
    int readings_changed = 0;   // how often a report showed the desktop reading positions the other way
    std::vector<Point> asked_before;  // places asked for or passed through, which late reports may name
    bool opened_centred = false;  // centred again when a window manager that started late adopts it
    int overrulings = 0;  // how often the desktop put a window that does not fit elsewhere than asked
  };
  Placement placement;

  // Per-kind state of the built-in controls.
  struct ControlState {
    virtual ~ControlState() = default;
  };
  std::unique_ptr<ControlState> control;
};

// A top-level window or a child control. Owned by the window system; callers hold pointers, and
// the window system tells them apart from stale ones with is_window. Everyone may read what a
// window shows and where; only the window system changes it, through its operations, so a
// backend, which is handed windows as const, can report about a window and nothing more.
class WindowNode {
 public:
  WindowNode() = default;
  WindowNode(const WindowNode&) = delete;
  WindowNode& operator=(const WindowNode&) = delete;

  const WindowClass* window_class() const { return state_.window_class; }
  WindowNode* parent() const { return state_.parent; }
  const std::vector<WindowNode*>& children() const { return state_.children; }
  const std::string& text() const { return state_.text; }
  std::uint32_t style() const { return state_.style; }
  std::intptr_t id() const { return state_.id; }
  const Rect& bounds() const { return state_.bounds; }
  const FrameExtents& frame() const { return state_.frame; }
  bool visible() const { return state_.visible; }
  bool enabled() const { return state_.enabled; }
  bool tab_stop() const { return state_.tab_stop; }
  bool minimized() const { return state_.minimized; }
  const Rect& update() const { return state_.update; }
  std::uintptr_t native() const { return state_.native; }
  int scale() const { return state_.scale; }
  const Surface& surface() const { return state_.surface; }

  bool top_level() const { return state_.parent == nullptr; }
  // A top-level window's inner area in device pixels.
  Size device_size() const { return {state_.bounds.width() * state_.scale, state_.bounds.height() * state_.scale}; }

 private:
  friend struct WindowAccess;
  WindowState state_;
};

}  // namespace platform
