#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace exporter {

struct ZipEntry {
  std::string name;  // with `/` between folders, ASCII
  std::vector<std::uint8_t> bytes;
};

// A zip archive of the entries, each stored as it is (the files are mostly floats, which deflate
// shrinks little), dated 1 January 1980 so that the same files make the same archive. Together
// the entries stay under 4 GiB and 65,535 in number, so no zip64 records are needed.
std::vector<std::uint8_t> zip_file(std::span<const ZipEntry> entries);

}  // namespace exporter
