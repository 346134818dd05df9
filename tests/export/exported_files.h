#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "export/run_export.h"
#include "wavedata/eprom_image.h"

namespace export_test {

// Point n (0 to 127) of wave w, worked out here from the image's bytes by the mirror rule: the 64
// stored bytes, then the same reversed in time and reflected about 128.
inline int point(std::size_t wave, std::size_t n) {
  const std::uint8_t* block = wavedata::eprom_image.data() + 0x300 + 64 * wave;
  return n < 64 ? block[n] : 256 - block[127 - n];
}

inline std::uint32_t u16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes.at(at) | bytes.at(at + 1) << 8);
}
inline std::uint32_t u32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return u16(bytes, at) | u16(bytes, at + 2) << 16;
}
inline std::int16_t i16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::int16_t>(u16(bytes, at));
}
inline float f32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  const std::uint32_t pattern = u32(bytes, at);
  float value = 0;
  std::memcpy(&value, &pattern, sizeof value);
  return value;
}
inline std::string tag(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t length = 4) {
  return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
}

struct Chunk {
  std::string id;
  std::size_t body = 0;  // where its bytes start
  std::size_t size = 0;
};

// The chunks of a RIFF WAVE file in their order, read here by the RIFF rules (each body padded to
// an even length); checks the RIFF header on the way.
inline std::vector<Chunk> riff_chunks(const std::vector<std::uint8_t>& bytes) {
  std::vector<Chunk> chunks;
  EXPECT_EQ(tag(bytes, 0), "RIFF");
  EXPECT_EQ(u32(bytes, 4), bytes.size() - 8);
  EXPECT_EQ(tag(bytes, 8), "WAVE");
  std::size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const Chunk chunk{tag(bytes, at), at + 8, u32(bytes, at + 4)};
    chunks.push_back(chunk);
    if (chunk.size % 2 != 0) {
      EXPECT_EQ(bytes.at(chunk.body + chunk.size), 0) << chunk.id << " pad byte";
    }
    at = chunk.body + chunk.size + chunk.size % 2;
  }
  EXPECT_EQ(at, bytes.size()) << "the last chunk ends the file";
  return chunks;
}

inline std::vector<std::string> chunk_ids(const std::vector<Chunk>& chunks) {
  std::vector<std::string> ids;
  for (const Chunk& chunk : chunks) ids.push_back(chunk.id);
  return ids;
}

// The fields of a `fmt ` chunk, in their order.
struct Format {
  std::uint32_t format, channels, rate, byte_rate, block_align, bits;
  bool operator==(const Format&) const = default;
};

inline Format format_of(const std::vector<std::uint8_t>& bytes, const Chunk& fmt) {
  return {u16(bytes, fmt.body), u16(bytes, fmt.body + 2), u32(bytes, fmt.body + 4),
          u32(bytes, fmt.body + 8), u16(bytes, fmt.body + 12), u16(bytes, fmt.body + 14)};
}

// A fresh folder for each test, removed afterwards; exports run in-process as the program runs them.
class ExportedFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    // Other builds' tests may run at the same time on the machine.
    folder = std::filesystem::temp_directory_path() /
             ("tablescope-export-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
              "-" + std::to_string(std::random_device{}()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  int run(std::initializer_list<std::string> arguments) {
    const std::vector<std::string> all(arguments);
    return exporter::run_export(all);
  }

  std::string in_folder(const std::string& name) const { return (folder / name).string(); }

  std::vector<std::uint8_t> read(const std::string& name) const {
    std::ifstream file(folder / name, std::ios::binary);
    EXPECT_TRUE(file) << name;
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }

  std::filesystem::path folder;
};

}  // namespace export_test
