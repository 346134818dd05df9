#pragma once

// The page's side of the web display, in page.js: the canvas and the DOM's input.

#include <cstdint>

namespace platform::web {

// What page.js queues, in the order the DOM reported it.
enum class InputKind : std::int32_t {
  PointerMoved = 1,
  ButtonPressed,
  ButtonReleased,
  KeyPressed,
  KeyReleased,
  Activated,
  Deactivated,
  ResolutionChanged,
};

// One queued input. Points are canvas pixels; buttons as the DOM numbers them (0 primary, 1
// middle, 2 secondary); keys 1 Tab, 2 space, 0 any other; modifiers 1 Shift, 2 Control, 4 Alt.
struct InputRecord {
  InputKind kind;
  std::int32_t x;
  std::int32_t y;
  std::int32_t button;
  std::int32_t key;
  std::int32_t modifiers;
  std::uint32_t time;
};

extern "C" {
// Takes the page's canvas and listens to its input. False where the page has no canvas.
int web_page_attach();
// Gives the canvas `width` x `height` pixels, each laid out on one device pixel.
void web_page_resize(int width, int height);
// The device pixels the window's inner area may take without the page scrolling: width, height.
void web_page_room(std::int32_t* size);
void web_page_title(const char* text, int length);
int web_page_show();
// `pixels`: RGBA rows of the canvas's whole width and height.
void web_page_present(const std::uint8_t* pixels, int x, int y, int width, int height);
int web_page_dpi();
int web_page_next_input(InputRecord* record);
}

}  // namespace platform::web
