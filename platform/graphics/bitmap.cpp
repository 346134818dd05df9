#include "platform/graphics/bitmap.h"

#include <cstdlib>
#include <new>

#include "platform/graphics/graphics_state.h"

namespace platform {
namespace {

// Large enough for any screen, small enough that sizes and offsets stay far from overflow.
constexpr int max_side = 32767;

HandleTable<Bitmap>& bitmaps() { return graphics_state().bitmaps; }

}  // namespace

void Bitmap::FreePixels::operator()(std::uint8_t* pixels) const { std::free(pixels); }

std::size_t bitmap_stride(int width, int depth) {
  const std::size_t row_bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(depth / 8);
  return (row_bytes + 3) & ~std::size_t{3};
}

Bitmap::Bitmap(int width, int height, int depth, bool top_down)
    : width_(width), height_(height), depth_(depth), top_down_(top_down), stride_(bitmap_stride(width, depth)) {}

std::unique_ptr<Bitmap> Bitmap::make(int width, int signed_height, int depth) {
  const long height = std::labs(signed_height);
  if (width < 1 || width > max_side || height < 1 || height > max_side || (depth != 24 && depth != 32)) {
    return nullptr;
  }
  std::unique_ptr<Bitmap> bitmap(new (std::nothrow) Bitmap(width, static_cast<int>(height), depth, signed_height < 0));
  if (!bitmap) {
    return nullptr;
  }
  bitmap->pixels_.reset(static_cast<std::uint8_t*>(std::calloc(bitmap->byte_size(), 1)));
  if (!bitmap->pixels_) {
    return nullptr;
  }
  return bitmap;
}

BitmapHandle create_bitmap(int width, int signed_height, int depth) {
  auto bitmap = Bitmap::make(width, signed_height, depth);
  return bitmap ? bitmaps().add(std::move(bitmap)) : 0;
}

Bitmap* find_bitmap(BitmapHandle handle) { return bitmaps().find(handle); }

bool delete_bitmap(BitmapHandle handle) { return bitmaps().remove(handle); }

}  // namespace platform
