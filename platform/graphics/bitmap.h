#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

using BitmapHandle = std::intptr_t;

// A device-independent pixel store: blue-green-red(-reserved) bytes, rows padded to a multiple of
// four bytes, stored bottom-up unless the bitmap was asked for with a negative height.
class Bitmap {
 public:
  // Returns nullptr when the size or depth cannot be stored.
  static std::unique_ptr<Bitmap> make(int width, int signed_height, int depth);

  int width() const { return width_; }
  int height() const { return height_; }
  int depth() const { return depth_; }
  int pixel_size() const { return depth_ / 8; }
  std::size_t stride() const { return stride_; }
  bool top_down() const { return top_down_; }

  // The first byte of the store: image row height - 1 for a bottom-up bitmap, row 0 otherwise.
  std::uint8_t* pixels() { return pixels_.get(); }
  const std::uint8_t* pixels() const { return pixels_.get(); }
  std::size_t byte_size() const { return stride_ * static_cast<std::size_t>(height_); }

  // Row y counted from the top of the image, whatever the storage order.
  std::uint8_t* row(int y) { return pixels_.get() + row_offset(y); }
  const std::uint8_t* row(int y) const { return pixels_.get() + row_offset(y); }

 private:
  Bitmap(int width, int height, int depth, bool top_down);
  std::size_t row_offset(int y) const {
    const int stored_row = top_down_ ? y : height_ - 1 - y;
    return static_cast<std::size_t>(stored_row) * stride_;
  }

  struct FreePixels {
    void operator()(std::uint8_t* pixels) const;
  };

  int width_;
  int height_;
  int depth_;
  bool top_down_;
  std::size_t stride_;
  std::unique_ptr<std::uint8_t, FreePixels> pixels_;
};

std::size_t bitmap_stride(int width, int depth);

// The process-wide bitmap handles. A handle stays valid until delete_bitmap.
BitmapHandle create_bitmap(int width, int signed_height, int depth);
Bitmap* find_bitmap(BitmapHandle handle);
bool delete_bitmap(BitmapHandle handle);

}  // namespace platform
