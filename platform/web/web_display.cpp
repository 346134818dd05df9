// The web display: the window system's one top-level window shown on the page's canvas.

#include "platform/web/backend.h"

#include <emscripten.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/web/page.h"

namespace platform {
namespace {

// The wait for input: the program stays in its blocking loop, unwound by ASYNCIFY while the
// browser runs, and the DOM's next event resolves the promise that wakes it.
EM_ASYNC_JS(void, await_page_input, (int limit), { await canvasPage.wait(limit); });

MouseButton mouse_button(std::int32_t dom_button) {
  return dom_button == 2 ? MouseButton::Right : dom_button == 1 ? MouseButton::Middle : MouseButton::Left;
}

Key key_of(std::int32_t page_key) { return page_key == 1 ? Key::Tab : page_key == 2 ? Key::Space : Key::Other; }

std::int32_t modifiers_of(std::int32_t page_modifiers) {
  std::int32_t modifiers = NoModifier;
  if ((page_modifiers & 1) != 0) modifiers |= Shift;
  if ((page_modifiers & 2) != 0) modifiers |= Control;
  if ((page_modifiers & 4) != 0) modifiers |= Alt;
  return modifiers;
}

class WebDisplay final : public NativeDisplay {
 public:
  // The page's viewport is the window's monitor: the window system takes the largest scale, up to
  // the one the ratio asks for, at which the window fits it, and at 1 the page scrolls.
  Rect monitor() override {
    std::int32_t size[2] = {};
    web::web_page_room(size);
    return Rect::at({0, 0}, {size[0], size[1]});
  }
  int dpi() override { return web::web_page_dpi(); }
  // The page has no frame around the canvas: the browser's own window and tab are the frame.
  FrameExtents frame_extents(std::uint32_t) override { return {}; }

  // The page has one canvas, for one top-level window.
  std::optional<NativeWindow> create_window(const WindowNode& window) override {
    if (window_ != nullptr) {
      return std::nullopt;
    }
    window_ = &window;
    set_title(window);
    return NativeWindow{0, make_surface(window)};
  }
  std::optional<Surface> resize_window(const WindowNode& window, Point) override {
    if (&window != window_) {
      return std::nullopt;
    }
    return make_surface(window);
  }
  // The canvas stays where the page lays it out.
  void place_window(const WindowNode&, Point) override {}
  void destroy_window(const WindowNode& window) override {
    if (&window == window_) {
      window_ = nullptr;
      exposure_due_ = exposed_ = false;
    }
  }
  void set_title(const WindowNode& window) override {
    web::web_page_title(window.text().data(), static_cast<int>(window.text().size()));
  }
  void show(const WindowNode& window) override {
    if (&window != window_) {
      return;
    }
    exposure_due_ = true;
    if (web::web_page_show() != 0) {
      input::activation(*window_, true);
    }
  }
  // The browser shows the canvas when the program next gives it the thread, which is when it asks
  // for input: the window is exposed then, so that what start-up draws meanwhile is painted once.
  bool on_screen(const WindowNode& window) override { return &window == window_ && exposed_; }

  // Turns the area's pixels, 0x00RRGGBB words, into the RGBA bytes of an ImageData and puts them
  // on the canvas.
  Pixel* present(const WindowNode& window, const Rect& area) override {
    if (&window != window_) {
      return window.surface().pixels;
    }
    const Surface& surface = window.surface();
    const Rect shown = area.intersected(Rect::at({0, 0}, surface.size));
    for (int y = shown.top; y < shown.bottom; ++y) {
      const Pixel* from = surface.pixels + static_cast<std::size_t>(y) * surface.stride;
      std::uint8_t* to = rgba_.get() + (static_cast<std::size_t>(y) * surface.stride) * 4;
      // Red, green, blue and an opaque alpha in memory order, two pixels in one little-endian
      // 64-bit word (WebAssembly's byte order): the first present converts the whole window
      // while the code is still unoptimized.
      int x = shown.left;
      for (; x + 1 < shown.right; x += 2) {
        std::uint64_t pair = 0;
        std::memcpy(&pair, from + x, sizeof pair);
        pair = (pair >> 16 & 0x000000FF000000FFu) | (pair & 0x0000FF000000FF00u) | (pair & 0x000000FF000000FFu) << 16 |
               0xFF000000FF000000u;
        std::memcpy(to + static_cast<std::size_t>(x) * 4, &pair, sizeof pair);
      }
      if (x < shown.right) {
        const Pixel pixel = from[x];
        const std::uint32_t rgba = red_of(pixel) | green_of(pixel) << 8 | blue_of(pixel) << 16 | 0xFF000000u;
        std::memcpy(to + static_cast<std::size_t>(x) * 4, &rgba, sizeof rgba);
      }
    }
    if (!shown.empty()) {
      web::web_page_present(rgba_.get(), shown.left, shown.top, shown.width(), shown.height());
    }
    return window.surface().pixels;
  }

  bool pump(bool wait, std::optional<std::chrono::milliseconds> limit) override {
    bool reported = report_exposure();
    reported = report_queued() || reported;
    if (!wait || reported) {
      return reported || !wait;
    }
    do {
      await_page_input(limit ? static_cast<int>(limit->count()) : -1);
      reported = report_queued();
    } while (!reported && !limit);
    return reported;
  }

 private:
  // Both are left unset: the window system paints the whole surface before it presents any of it,
  // and each presented area is converted before it is put. Clearing them would cost the start-up
  // tens of milliseconds while the browser still runs the program's first, unoptimized code.
  Surface make_surface(const WindowNode& window) {
    const Size size = window.device_size();
    const auto count = static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height);
    pixels_.reset(new Pixel[count]);
    rgba_.reset(new std::uint8_t[count * 4]);
    web::web_page_resize(size.width, size.height);
    return {size, pixels_.get(), static_cast<std::size_t>(size.width)};
  }

  bool report_exposure() {
    if (!exposure_due_ || window_ == nullptr) {
      return false;
    }
    exposure_due_ = false;
    exposed_ = true;
    input::exposed(*window_, Rect::at({0, 0}, window_->device_size()));
    return true;
  }

  // Reports what the page has queued; true when there was anything.
  bool report_queued() {
    bool reported = false;
    web::InputRecord record{};
    while (web::web_page_next_input(&record) != 0) {
      reported = true;
      report(record);
    }
    return reported;
  }

  void report(const web::InputRecord& record) {
    if (record.kind == web::InputKind::ResolutionChanged) {
      input::resolution_changed();
      return;
    }
    if (window_ == nullptr) {
      return;
    }
    const WindowNode& window = *window_;
    const Point at{record.x, record.y};
    switch (record.kind) {
      case web::InputKind::PointerMoved:
        input::pointer_moved(window, at, record.time);
        break;
      case web::InputKind::ButtonPressed:
      case web::InputKind::ButtonReleased:
        input::button(window, mouse_button(record.button), record.kind == web::InputKind::ButtonPressed, at,
                      record.time);
        break;
      case web::InputKind::KeyPressed:
      case web::InputKind::KeyReleased:
        input::key(window, key_of(record.key), record.kind == web::InputKind::KeyPressed,
                   modifiers_of(record.modifiers));
        break;
      case web::InputKind::Activated:
      case web::InputKind::Deactivated:
        input::activation(window, record.kind == web::InputKind::Activated);
        break;
      case web::InputKind::ResolutionChanged:
        break;
    }
  }

  const WindowNode* window_ = nullptr;
  bool exposure_due_ = false;
  bool exposed_ = false;
  std::unique_ptr<Pixel[]> pixels_;
  std::unique_ptr<std::uint8_t[]> rgba_;
};

}  // namespace

// The page names the program itself; the identity has nothing for it to show.
std::unique_ptr<NativeDisplay> open_web_display(const ProgramIdentity&, std::string& error) {
  if (web::web_page_attach() == 0) {
    error = "the page has no canvas for it";
    return nullptr;
  }
  return std::make_unique<WebDisplay>();
}

}  // namespace platform
