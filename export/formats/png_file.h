#pragma once

#include <cstdint>
#include <vector>

namespace exporter {

// A picture of 8-bit red, green and blue, rows from the top.
struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width x height x 3 bytes
};

// The picture as the bytes of a PNG file, made by the system's own encoder (libpng; the Windows
// Imaging Component on Windows). Throws ExportFailure when the encoder fails.
std::vector<std::uint8_t> png_file(const RgbPicture& picture);

}  // namespace exporter
