#include <png.h>

#include <new>

#include "export/failures.h"
#include "export/formats/png_file.h"

namespace exporter {
namespace {

void append_bytes(png_structp png, png_bytep data, png_size_t length) {
  auto* bytes = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  try {
    bytes->insert(bytes->end(), data, data + length);
  } catch (const std::bad_alloc&) {
    png_error(png, "out of memory");
  }
}

void flush_nothing(png_structp) {}

// libpng reports failures by a long jump back to the setjmp below; nothing between them owns memory.
bool encode(const RgbPicture& picture, std::vector<std::uint8_t>& bytes) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &bytes, append_bytes, flush_nothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const std::size_t stride = static_cast<std::size_t>(picture.width) * 3;
  for (int y = 0; y < picture.height; ++y) {
    png_write_row(png, picture.pixels.data() + static_cast<std::size_t>(y) * stride);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

std::vector<std::uint8_t> png_file(const RgbPicture& picture) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
  if (!encode(picture, bytes)) {
    throw ExportFailure("the PNG encoder failed");
  }
  return bytes;
}

}  // namespace exporter
