#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/glyphs.h"
#include "present/drawing/colour.h"
#include "present/object_number.h"

namespace present {

struct DrawingSession;

// What a session's output does with pixels, chosen by the output's pixel size.
struct DrawingOperations {
  void (*fill_box)(DrawingSession& session, int x, int y, int width, int height);
  void (*draw_line)(DrawingSession& session, int x1, int y1, int x2, int y2);
  void (*plot_pixel)(DrawingSession& session, int x, int y, Colour colour);
  // Blends the cell of the text buffer at (0, 0), width by height, into the image at (x, y).
  void (*blend_text)(DrawingSession& session, int x, int y, int width, int height);
};

// Where a session's texts are rendered, white on black, before they are blended into the image.
struct TextDevice {
  platform::FontHandle font = 0;
  int overhang = 0;  // the extra width an italic font's slant needs
  platform::BitmapHandle buffer = 0;  // 24-bit, rows top-down, as wide as the image
  int buffer_height = 0;
};

// The blended blue, green and red for every sum of a text buffer pixel's three bytes, made for a
// pair of front and back colours. Kept by the layer across sessions: every page draws its labels
// in the same colours.
struct TextBlend {
  bool valid = false;
  Colour front = 0;
  Colour back = 0;
  // Platform pixels: blue, green and red from the lowest byte up, the order a stored pixel has.
  std::array<platform::Pixel, 3 * 255 + 1> by_sum{};
};

// The layer's one drawing state. Drawing operations act on the current session.
struct DrawingSession {
  int width = 0;
  int height = 0;
  std::uint8_t* pixel_store = nullptr;  // pixel (0, height - 1): rows are stored bottom-up
  std::size_t stride = 0;
  int pixel_size = 0;

  // For calls that give no colour; every drawing call here gives its own.
  Colour front_colour = 0xFFFFFFFF;
  // What texts are drawn on.
  Colour back_colour = 0xFF000000;
  // The colours last unpacked, so that a colour is unpacked only when it changes.
  Colour front_cache = 0;
  ColourComponents front{};
  Colour back_cache = 0;
  ColourComponents back{};

  platform::BitmapHandle image = 0;
  // The image was released while this session drew into it: its pixels stay until the session
  // ends, so that drawing never reaches freed memory.
  bool owns_image = false;
  std::optional<TextDevice> text_device;  // made when drawing begins
  const DrawingOperations* operations = nullptr;
  TextBlend* text_blend = nullptr;  // the layer's

  std::uint8_t* row(int y) const { return pixel_store + static_cast<std::size_t>(height - 1 - y) * stride; }
};

// Makes a session for the image under `number` current and returns it, or nullptr when the number
// holds no image that can be drawn on. A session that was current is ended first. The drawing
// operations act on the session from here on; start_drawing adds what texts need.
DrawingSession* image_output(ObjectNumber number);

// Begins drawing on the session that image_output gave, with the stock font selected for text.
// On failure the session is ended.
bool start_drawing(DrawingSession* output);

// Ends the current session, if any; the image keeps its pixels.
void stop_drawing();

// Frees an image's bitmap; while the current session draws into it, when that session ends.
void release_image_bitmap(platform::BitmapHandle image);

// The running layer's current session, or nullptr.
DrawingSession* current_session();

// Makes `colour` the front colour of the session, unpacking it only when it differs from the
// colour last unpacked.
void use_front_colour(DrawingSession& session, Colour colour);

}  // namespace present
