#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace exporter {

// The bytes of one file, built in memory and written in one piece. Every number in the formats
// written here is little-endian.
class ByteBuffer {
 public:
  explicit ByteBuffer(std::size_t expected_size = 0) { bytes_.reserve(expected_size); }

  void put_tag(std::string_view tag) {
    for (const char c : tag) {
      bytes_.push_back(static_cast<std::uint8_t>(c));
    }
  }
  void put_u8(std::uint8_t value) { bytes_.push_back(value); }
  void put_u16(std::uint16_t value) { put_little_endian(value, 2); }
  void put_u32(std::uint32_t value) { put_little_endian(value, 4); }

  // Room for `count` more bytes at the end, to be filled through the pointer; for sample data,
  // where appending byte by byte would cost more than the writing of the file.
  std::uint8_t* extend(std::size_t count) {
    const std::size_t start = bytes_.size();
    bytes_.resize(start + count);
    return bytes_.data() + start;
  }

  std::size_t size() const { return bytes_.size(); }
  std::vector<std::uint8_t> take() { return std::move(bytes_); }

 private:
  void put_little_endian(std::uint32_t value, int count) {
    for (int byte = 0; byte < count; ++byte) {
      bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * byte)));
    }
  }

  std::vector<std::uint8_t> bytes_;
};

}  // namespace exporter
