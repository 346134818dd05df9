#include "present/drawing/text.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

#include "present/drawing/drawing_session.h"
#include "present/layer.h"

namespace present {
namespace {

// Room for the tallest glyphs and then some: small fonts never make the buffer again.
constexpr int minimum_buffer_height = 50;
constexpr int buffer_headroom = 20;

// How far an italic font's "H" reaches past its advance, found by rendering it.
int measure_overhang(platform::FontHandle font) {
  const platform::FontRequest* request = platform::font_request(font);
  const auto extent = platform::measure_text(font, "H");
  if (request == nullptr || !request->italic || !extent || extent->width < 1 || extent->height < 1) {
    return 0;
  }
  const int width = extent->width;
  const int height = extent->height;
  auto scratch = platform::Bitmap::make(2 * width, -2 * height, 24);
  if (!scratch || !platform::write_text(font, "H", *scratch, 0, 0)) {
    return 0;
  }
  for (int column = 2 * width - 1; column >= 0; --column) {
    for (int row = 0; row < height; ++row) {
      const std::uint8_t* pixel = scratch->row(row) + 3 * column;
      if (pixel[0] != 0 || pixel[1] != 0 || pixel[2] != 0) {
        return column - width + 2;
      }
    }
  }
  return 0;
}

platform::BitmapHandle take_buffer(int width, int height) {
  platform::BitmapHandle& spare_buffer = layer()->spare_text_buffer;
  const platform::Bitmap* spare = platform::find_bitmap(spare_buffer);
  if (spare != nullptr && spare->width() == width && spare->height() == height) {
    return std::exchange(spare_buffer, 0);
  }
  return platform::create_bitmap(width, -height, 24);
}

int clamp_to_int(std::int64_t value) {
  return static_cast<int>(
      std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

void set_drawing_font(platform::FontHandle font) {
  DrawingSession* session = current_session();
  if (session == nullptr || !session->text_device || font == 0) {
    return;
  }
  if (font == stock_system_font) {
    // Made when a text is drawn in it: most sessions choose a font of their own first.
    session->text_device->font = stock_system_font;
    return;
  }
  const auto sample = platform::measure_text(font, "Hg");
  if (!sample) {
    return;
  }
  TextDevice& device = *session->text_device;
  device.overhang = measure_overhang(font);
  device.font = font;
  const int needed = std::max(sample->height + buffer_headroom, minimum_buffer_height);
  if (device.buffer != 0 && device.buffer_height >= needed) {
    return;
  }
  const platform::BitmapHandle buffer = take_buffer(session->width, needed);
  if (buffer == 0) {
    return;  // the old buffer stays, and texts are cut to its height
  }
  platform::delete_bitmap(device.buffer);
  device.buffer = buffer;
  device.buffer_height = needed;
}

void keep_text_buffer(platform::BitmapHandle buffer) {
  platform::delete_bitmap(std::exchange(layer()->spare_text_buffer, buffer));
}

void drop_kept_text_buffer() { keep_text_buffer(0); }

int draw_text(int x, int y, std::string_view text, Colour colour) {
  DrawingSession* session = current_session();
  if (session == nullptr) {
    return x;
  }
  use_front_colour(*session, colour);
  if (session->back_colour != session->back_cache) {
    session->back_cache = session->back_colour;
    session->back = unpack_colour(session->back_colour);
  }
  if (session->text_device && session->text_device->font == stock_system_font) {
    set_drawing_font(platform::stock_font(platform::StockFont::System));
  }
  const TextDevice* device = session->text_device ? &*session->text_device : nullptr;
  platform::Bitmap* buffer = device != nullptr ? platform::find_bitmap(device->buffer) : nullptr;
  if (text.empty() || buffer == nullptr) {
    return x;
  }
  if (device->overhang > 0) {
    std::fill_n(buffer->pixels(), buffer->byte_size(), std::uint8_t{0});
  }
  // A text that starts left of the image is rendered shifted left, so that only its visible
  // part lands in the buffer.
  const int shift = x < 0 ? x : 0;
  const auto cell = platform::write_text(device->font, text, *buffer, shift, 0);
  if (!cell) {
    return x;
  }
  const int width = cell->width + std::max(device->overhang, 0);
  const int height = std::min(cell->height, device->buffer_height);
  session->operations->blend_text(*session, x - shift, y, clamp_to_int(std::int64_t{width} + shift), height);
  return clamp_to_int(std::int64_t{x} + width);
}

}  // namespace present
