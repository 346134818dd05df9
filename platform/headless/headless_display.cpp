#include "platform/headless/backend.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstdlib>

namespace platform {

HeadlessDisplay::HeadlessDisplay(Size screen, FrameExtents frame, int dpi)
    : monitor_(Rect::at({0, 0}, screen)), frame_(frame), dpi_(dpi) {}

FrameExtents HeadlessDisplay::frame_extents(std::uint32_t style) {
  return (style & style_title_bar) != 0 ? frame_ : FrameExtents{};
}

Surface HeadlessDisplay::make_surface(const WindowNode& window) {
  WindowPixels& native = *natives_[&window];
  const Size size = window.device_size();
  const auto width = static_cast<std::size_t>(size.width);
  Size held = size;
  if (band_rows_ > 0) {
    held.height = std::min(size.height, band_rows_ * window.scale());
    native.shown.assign(width * static_cast<std::size_t>(size.height), Pixel{});
  }
  native.pixels.assign(width * static_cast<std::size_t>(held.height), Pixel{});
  return {held, native.pixels.data(), width};
}

std::optional<NativeWindow> HeadlessDisplay::create_window(const WindowNode& window) {
  if (refuse_windows_) {
    return std::nullopt;
  }
  natives_[&window] = std::make_unique<WindowPixels>();
  windows_.push_back(&window);
  return NativeWindow{0, make_surface(window)};
}

// The window goes where it is asked at once, as under a window manager that never interferes.
std::optional<Surface> HeadlessDisplay::resize_window(const WindowNode& window, Point inner_origin) {
  if (refuse_windows_ || !natives_.contains(&window)) {
    return std::nullopt;
  }
  const Surface surface = make_surface(window);
  place_window(window, inner_origin);
  return surface;
}

void HeadlessDisplay::place_window(const WindowNode& window, Point inner_origin) {
  const Point arrives = pushed(window, read(window, inner_origin), Pushes::WhenMoved);
  if (hold_moves_) {
    held_moves_.emplace_back(&window, arrives);
  } else {
    input::moved(window, arrives);
  }
}

void HeadlessDisplay::show_anew(const WindowNode& window, Point inner_origin) {
  input::moved(window, pushed(window, read(window, inner_origin), Pushes::WhereShown));
}

Point HeadlessDisplay::pushed(const WindowNode& window, Point inner_origin, Pushes pushes) const {
  if (pushes_ != pushes || inner_origin.x - window.frame().left >= monitor_.left) {
    return inner_origin;
  }
  return {monitor_.left + window.frame().left, inner_origin.y};
}

void HeadlessDisplay::adopt(const WindowNode& window, const FrameExtents& frame) {
  input::adopted(window);
  input::moved(window, {window.bounds().left + frame.left, window.bounds().top + frame.top});
  input::frame_changed(window, frame);
}

Point HeadlessDisplay::read(const WindowNode& window, Point inner_origin) {
  if (places_read_as_frames_ == 0) {
    return inner_origin;
  }
  --places_read_as_frames_;
  return {inner_origin.x + window.frame().left, inner_origin.y + window.frame().top};
}

void HeadlessDisplay::release_moves(std::size_t keep) {
  const std::size_t released = held_moves_.size() - std::min(keep, held_moves_.size());
  const std::vector<std::pair<const WindowNode*, Point>> moves(held_moves_.begin(), held_moves_.begin() + static_cast<std::ptrdiff_t>(released));
  held_moves_.erase(held_moves_.begin(), held_moves_.begin() + static_cast<std::ptrdiff_t>(released));
  for (const auto& [window, origin] : moves) {
    input::moved(*window, origin);
  }
}

void HeadlessDisplay::change_resolution(int dpi) {
  dpi_ = dpi;
  input::resolution_changed();
}

void HeadlessDisplay::destroy_window(const WindowNode& window) {
  std::erase_if(held_moves_, [&window](const auto& held) { return held.first == &window; });
  natives_.erase(&window);
  std::erase(windows_, &window);
  if (active_ == &window) {
    active_ = nullptr;
  }
}

// Showing a window activates it and tells where it is, as a window manager would.
void HeadlessDisplay::show(const WindowNode& window) {
  if (hold_exposure_) {
    natives_.at(&window)->on_screen = false;
  }
  input::moved(window, pushed(window, read(window, window.bounds().origin()), Pushes::WhereShown));
  activate(&window);
}

bool HeadlessDisplay::on_screen(const WindowNode& window) {
  const auto found = natives_.find(&window);
  return found != natives_.end() && found->second->on_screen;
}

void HeadlessDisplay::expose(const WindowNode& window) {
  natives_.at(&window)->on_screen = true;
  input::exposed(window, Rect::at({0, 0}, window.device_size()));
}

void HeadlessDisplay::uncover(const WindowNode& window, const Rect& area) {
  constexpr Pixel lost = rgb(0x12, 0x34, 0x56);
  WindowPixels& native = *natives_.at(&window);
  const Size size = window.device_size();
  const bool banded = !native.shown.empty();
  Pixel* pixels = banded ? native.shown.data() : window.surface().pixels;
  const auto stride = banded ? static_cast<std::size_t>(size.width) : window.surface().stride;
  const Rect covered = area.intersected(Rect::at({0, 0}, banded ? size : window.surface().size));
  for (int y = covered.top; y < covered.bottom && !covered.empty(); ++y) {
    std::fill(pixels + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(covered.left),
              pixels + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(covered.right), lost);
  }
  input::exposed(window, area);
}

// With bands, only the rows the surface holds now reach the screen: an area beyond them is a
// fault of the window system, which the pixels read back then show.
Pixel* HeadlessDisplay::present(const WindowNode& window, const Rect& area) {
  ++presents_;
  WindowPixels& native = *natives_.at(&window);
  if (native.shown.empty()) {
    return window.surface().pixels;
  }
  const Surface& surface = window.surface();
  const auto width = static_cast<std::size_t>(window.device_size().width);
  const Rect held = Rect::at({0, surface.top}, surface.size);
  const Rect copied = area.intersected(held);
  for (int y = copied.top; y < copied.bottom && !copied.empty(); ++y) {
    const Pixel* from = surface.pixels + static_cast<std::size_t>(y - surface.top) * surface.stride;
    Pixel* to = native.shown.data() + static_cast<std::size_t>(y) * width;
    std::copy(from + copied.left, from + copied.right, to + copied.left);
  }
  return window.surface().pixels;
}

bool HeadlessDisplay::pump(bool wait, std::optional<std::chrono::milliseconds> limit) {
  if (!wait) {
    return true;
  }
  if (idle_ && idle_()) {
    return true;
  }
  if (limit) {
    return false;
  }
  // Nothing will ever come: end the test run with a clear line instead of hanging it.
  std::fputs("headless display: waiting for input that no test will give\n", stderr);
  std::exit(3);
}

const WindowNode* HeadlessDisplay::top_level_at(Point screen, Point& inner) const {
  for (auto window = windows_.rbegin(); window != windows_.rend(); ++window) {
    const Rect shown = Rect::at((*window)->bounds().origin(), (*window)->device_size());
    if ((*window)->visible() && !(*window)->minimized() && shown.contains(screen)) {
      inner = {screen.x - (*window)->bounds().left, screen.y - (*window)->bounds().top};
      return *window;
    }
  }
  return nullptr;
}

void HeadlessDisplay::move_pointer(Point screen) {
  Point inner;
  if (const WindowNode* window = top_level_at(screen, inner)) {
    input::pointer_moved(*window, inner, ++clock_);
  }
}

void HeadlessDisplay::press(MouseButton button, Point screen) {
  Point inner;
  if (const WindowNode* window = top_level_at(screen, inner)) {
    activate(window);
    input::button(*window, button, true, inner, ++clock_);
  }
}

void HeadlessDisplay::release(MouseButton button, Point screen) {
  Point inner;
  const WindowNode* window = top_level_at(screen, inner);
  if (window == nullptr && !windows_.empty()) {
    // A release off every window still ends a press, as a grabbed pointer would.
    window = windows_.back();
    inner = {screen.x - window->bounds().left, screen.y - window->bounds().top};
  }
  if (window != nullptr) {
    input::button(*window, button, false, inner, ++clock_);
  }
}

void HeadlessDisplay::click(MouseButton button, Point screen) {
  press(button, screen);
  release(button, screen);
}

void HeadlessDisplay::key(Key key, bool pressed, std::int32_t modifiers) {
  if (active_ != nullptr) {
    input::key(*active_, key, pressed, modifiers);
  }
}

void HeadlessDisplay::type(Key key, std::int32_t modifiers) {
  this->key(key, true, modifiers);
  this->key(key, false, modifiers);
}

void HeadlessDisplay::request_close(const WindowNode& window) { input::close_requested(window); }

void HeadlessDisplay::minimize(const WindowNode& window) {
  if (&window == active_) {
    activate(nullptr);
  }
  input::state_changed(window, true);
}

void HeadlessDisplay::restore(const WindowNode& window) {
  input::state_changed(window, false);
  activate(&window);
}

void HeadlessDisplay::move_window(const WindowNode& window, Point outer_origin) {
  input::moved(window, {outer_origin.x + window.frame().left, outer_origin.y + window.frame().top});
}

void HeadlessDisplay::activate(const WindowNode* window) {
  if (window == active_) {
    return;
  }
  if (active_ != nullptr) {
    input::activation(*active_, false);
  }
  active_ = window;
  if (window != nullptr) {
    std::erase(windows_, window);
    windows_.push_back(window);
    input::activation(*window, true);
  }
}

Point HeadlessDisplay::outer_origin(const WindowNode& window) const {
  return {window.bounds().left - window.frame().left, window.bounds().top - window.frame().top};
}

Size HeadlessDisplay::outer_size(const WindowNode& window) const {
  const Size inner = window.device_size();
  return {inner.width + window.frame().left + window.frame().right, inner.height + window.frame().top + window.frame().bottom};
}

Pixel HeadlessDisplay::pixel(const WindowNode& window, Point at) const {
  const WindowNode* top = &window;
  while (!top->top_level()) {
    at = {at.x + top->bounds().left, at.y + top->bounds().top};
    top = top->parent();
  }
  return device_pixel(*top, {at.x * top->scale(), at.y * top->scale()});
}

Pixel HeadlessDisplay::device_pixel(const WindowNode& top, Point at) const {
  const std::vector<Pixel>& shown = natives_.at(&top)->shown;
  if (!shown.empty()) {
    return shown[static_cast<std::size_t>(at.y) * static_cast<std::size_t>(top.device_size().width) +
                 static_cast<std::size_t>(at.x)];
  }
  return top.surface().pixels[static_cast<std::size_t>(at.y) * top.surface().stride + static_cast<std::size_t>(at.x)];
}

}  // namespace platform
