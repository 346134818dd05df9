#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace exporter {

// Writes the file under a temporary name in the same folder and gives it its name only when every
// byte is written, so that a failure leaves nothing half-written. An existing file is replaced
// only when `replace` is set. Throws ExportFailure naming the path when the file cannot be made.
void write_file_atomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, bool replace);

}  // namespace exporter
