#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/graphics/geometry.h"
#include "platform/graphics/paint_context.h"
#include "platform/graphics/pixel.h"
#include "platform/window_system/seam.h"
#include "platform/window_system/messages.h"
#include "platform/window_system/window.h"

namespace platform {

// Starts the window system on a display; stopping destroys every window that is left.
void start_window_system(std::unique_ptr<NativeDisplay> display);
void stop_window_system();
bool window_system_running();
NativeDisplay* display();

// --- Classes -------------------------------------------------------------------------------

struct WindowClass {
  std::string name;
  Pixel background{};  // painted on erasing
  bool double_clicks = false;
  Handler handler;
};

bool register_class(WindowClass window_class);
bool unregister_class(std::string_view name);

// The built-in controls' classes, registered when the window system starts.
inline constexpr std::string_view push_button_class = "Button";
inline constexpr std::string_view picture_class = "Static";

// --- Windows -------------------------------------------------------------------------------

// A top-level window: `outer` is where its frame goes on the screen, with the size that
// outer_size gives; the inner area is what is left inside the frame of its style, in layout
// pixels. The window is shown at the scale the desktop's resolution asks for where it fits the
// primary monitor, else at the largest that fits, at least 1. Starts hidden.
WindowNode* create_top_level(std::string_view class_name, std::string_view title, std::uint32_t style, const Rect& outer);
// A child control at `bounds` in the parent's inner area; starts visible.
WindowNode* create_child(std::string_view class_name, WindowNode& parent, std::string_view text, std::uint32_t style,
                     const Rect& bounds, std::intptr_t id, bool tab_stop);
void destroy_window(WindowNode* window);
bool is_window(const WindowNode* window);

WindowNode* top_level_of(WindowNode* window);
WindowNode* child_with_id(WindowNode& parent, std::intptr_t id);
const WindowNode* child_with_id(const WindowNode& parent, std::intptr_t id);
// The identifier a child reports its commands with.
void set_child_id(WindowNode& child, std::intptr_t id);

// The inner area in layout pixels with the frame of this style around it: what create_top_level
// takes. On the screen the inner area is `scale` times as large.
Size outer_size(Size inner, std::uint32_t style);
// Where the frame of a window of this style with an inner area of `inner` goes when it is centred
// on the primary monitor at its scale: centred where it fits, else with its frame's left (or top)
// edge at the monitor's work area, so that the title bar's left end is on the screen. A window
// never shrinks below its layout; the user can move it to see the rest.
Point centred_origin(Size inner, std::uint32_t style);

Handler set_handler(WindowNode& window, Handler handler);
// What a window of no particular behaviour does with a message.
std::intptr_t default_handling(const Message& message);

void set_property(WindowNode& window, std::string_view name, std::intptr_t value);
std::optional<std::intptr_t> property(const WindowNode& window, std::string_view name);
void remove_property(WindowNode& window, std::string_view name);

// Shows a top-level window in the normal state, which also activates it.
void show_window(WindowNode& window);
void move_child(WindowNode& window, const Rect& bounds);
void set_enabled(WindowNode& window, bool enabled);

// --- Keyboard shortcuts ---------------------------------------------------------------
struct Shortcut {
  Key key;
  std::int32_t modifiers;  // exactly these held, no others
  std::int32_t command;
};

// Keyboard shortcuts of a window: a key press that matches an entry becomes a ShortcutCommand
// message to that window instead of going to the focused control.
class ShortcutTable {
 public:
  ShortcutTable() = default;
  explicit ShortcutTable(std::vector<Shortcut> entries) : entries_(std::move(entries)) {}

  // Sends the command of the entry matching the key press, if any, to `window`; true when sent.
  bool translate(WindowNode& window, const Message& message) const;

 private:
  std::vector<Shortcut> entries_;
};

// --- Messages ------------------------------------------------------------------------------

// Calls the window's handler at once and returns its answer; 0 for a window that is gone.
std::intptr_t send(WindowNode* window, MessageCode code, Payload payload = {});
void post(WindowNode* window, MessageCode code, Payload payload = {});

// The next message: posted messages and input first, then areas to paint. Waits without a limit,
// or at most `limit` (0 only looks); false when nothing came in time.
bool get_message(Message& message, std::optional<std::chrono::milliseconds> limit = std::nullopt);
std::intptr_t dispatch(const Message& message);

// --- Focus, capture, activation ------------------------------------------------------------

WindowNode* focus();
void set_focus(WindowNode* window);
// The enabled, visible tab stop among the parent's children that comes after the focused one
// (before it, backwards), in the order of creation and wrapping around; with none of them
// focused, the first (the last); nullptr when the parent has no tab stop.
WindowNode* next_tab_stop(WindowNode& parent, bool forward);
WindowNode* capture();
void set_capture(WindowNode* window);
void release_capture();
WindowNode* active_window();

// --- Painting ------------------------------------------------------------------------------

// Marks an area of the window (all of it without one) to be painted; `erase` asks for its
// background to be painted first (begin_paint then sends EraseBackground). Without erasing, the
// handler paints every pixel of the mark: where the surface holds a band of rows, nothing of an
// earlier painting is left under it.
void invalidate(WindowNode& window, std::optional<Rect> area = std::nullopt, bool erase = true);
// Paints what is marked on the window (and on its children, for a top-level window) now.
void update_window(WindowNode& window);

// --- Desktop values ------------------------------------------------------------------------

// The desktop's own where the display offers them (SystemColour and SystemMetrics are in
// display.h), the conventional ones otherwise.
Pixel system_colour(SystemColour which);
SystemMetrics system_metrics();

// Opens painting of what is marked on the window: erasing first where that was asked for
// (an EraseBackground message that carries the context), and unmarks it.
PaintContext begin_paint(WindowNode& window);
// Paints the children under the painted area and shows the result.
void end_paint(WindowNode& window, const PaintContext& context);

// The context that an EraseBackground message carries.
PaintContext& erase_context(const Message& message);

}  // namespace platform
