#include "present/drawing/images.h"

#include <algorithm>

#include "present/layer.h"

namespace present {
namespace {

constexpr int depth_bits = 0xFF;

// A 32-bit image starts opaque black: alpha 255 in the fourth byte of every pixel.
void make_opaque(platform::Bitmap& bitmap) {
  for (int y = 0; y < bitmap.height(); ++y) {
    std::uint8_t* pixel = bitmap.row(y);
    for (int x = 0; x < bitmap.width(); ++x, pixel += 4) {
      pixel[3] = 0xFF;
    }
  }
}

}  // namespace

std::intptr_t create_image(ObjectNumber number, int width, int height, int depth) {
  Layer* running = layer();
  if (running == nullptr) {
    return 0;
  }
  const bool transparent = (depth & transparent_start) != 0;
  const int bits = std::max(depth & depth_bits, 24);
  ImageRecord* record = running->images.claim(number);
  if (record == nullptr) {
    return 0;
  }
  const ObjectNumber assigned = running->images.number_of(*record, number);
  // Images are always stored bottom-up: a negative height is no size, and fails as any size the
  // platform refuses does, with the old image gone and the slot empty.
  const platform::BitmapHandle handle = height >= 0 ? platform::create_bitmap(width, height, bits) : 0;
  platform::Bitmap* bitmap = platform::find_bitmap(handle);
  if (bitmap == nullptr) {
    running->images.remove(assigned);
    return 0;
  }
  if (bitmap->depth() == 32 && !transparent) {
    make_opaque(*bitmap);
  }
  record->handle = handle;
  record->width = static_cast<std::int16_t>(bitmap->width());
  record->height = static_cast<std::int16_t>(bitmap->height());
  record->depth = static_cast<std::uint8_t>(bitmap->depth());
  return number == assign_number ? assigned : handle;
}

platform::BitmapHandle image_handle(ObjectNumber number) {
  Layer* running = layer();
  if (running == nullptr) {
    return 0;
  }
  const ImageRecord* record = running->images.find(number);
  return record != nullptr ? record->handle : 0;
}

}  // namespace present
