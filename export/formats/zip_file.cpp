#include "export/formats/zip_file.h"

#include <algorithm>
#include <array>

#include "export/formats/byte_buffer.h"

namespace exporter {
namespace {

constexpr std::uint16_t version_needed = 10;  // 1.0: stored entries, no folders of their own
constexpr std::uint16_t stored = 0;
constexpr std::uint16_t dos_date = (0 << 9) | (1 << 5) | 1;  // 1980-01-01, the earliest a zip can say
constexpr std::uint16_t dos_time = 0;

constexpr std::array<std::uint32_t, 256> crc_table = [] {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int bit = 0; bit < 8; ++bit) {
      c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    table[n] = c;
  }
  return table;
}();

// The CRC-32 that zip entries carry (polynomial 0xEDB88320, reflected).
std::uint32_t crc32(std::span<const std::uint8_t> bytes) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (const std::uint8_t byte : bytes) {
    c = crc_table[(c ^ byte) & 0xFF] ^ (c >> 8);
  }
  return c ^ 0xFFFFFFFFu;
}

// The fields that the local header and the central directory's record share, from the version
// needed to the name's length.
void put_common_fields(ByteBuffer& out, const ZipEntry& entry, std::uint32_t crc) {
  out.put_u16(version_needed);
  out.put_u16(0);  // flags
  out.put_u16(stored);
  out.put_u16(dos_time);
  out.put_u16(dos_date);
  out.put_u32(crc);
  out.put_u32(static_cast<std::uint32_t>(entry.bytes.size()));  // compressed size
  out.put_u32(static_cast<std::uint32_t>(entry.bytes.size()));
  out.put_u16(static_cast<std::uint16_t>(entry.name.size()));
  out.put_u16(0);  // extra field length
}

}  // namespace

std::vector<std::uint8_t> zip_file(std::span<const ZipEntry> entries) {
  std::size_t size = 22;
  for (const ZipEntry& entry : entries) {
    size += 30 + 46 + 2 * entry.name.size() + entry.bytes.size();
  }
  ByteBuffer out(size);
  std::vector<std::uint32_t> offsets;
  std::vector<std::uint32_t> crcs;
  for (const ZipEntry& entry : entries) {
    offsets.push_back(static_cast<std::uint32_t>(out.size()));
    crcs.push_back(crc32(entry.bytes));
    out.put_u32(0x04034b50);
    put_common_fields(out, entry, crcs.back());
    out.put_tag(entry.name);
    std::copy(entry.bytes.begin(), entry.bytes.end(), out.extend(entry.bytes.size()));
  }
  const auto directory_start = static_cast<std::uint32_t>(out.size());
  for (std::size_t index = 0; index < entries.size(); ++index) {
    out.put_u32(0x02014b50);
    out.put_u16(version_needed);  // made by: MS-DOS attributes, version 1.0
    put_common_fields(out, entries[index], crcs[index]);
    out.put_u16(0);  // comment length
    out.put_u16(0);  // disk number
    out.put_u16(0);  // internal attributes
    out.put_u32(0);  // external attributes
    out.put_u32(offsets[index]);
    out.put_tag(entries[index].name);
  }
  const auto directory_size = static_cast<std::uint32_t>(out.size()) - directory_start;
  out.put_u32(0x06054b50);
  out.put_u16(0);  // this disk
  out.put_u16(0);  // the directory's disk
  out.put_u16(static_cast<std::uint16_t>(entries.size()));
  out.put_u16(static_cast<std::uint16_t>(entries.size()));
  out.put_u32(directory_size);
  out.put_u32(directory_start);
  out.put_u16(0);  // comment length
  return out.take();
}

}  // namespace exporter
