#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace exporter {

// A command line that cannot be carried out as written (exit code 2).
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// An export or a sound that could not be finished: a file that exists or cannot be written, no
// audio device (exit code 1).
struct ExportFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A path as the user wrote it, in UTF-8, for messages.
inline std::string display_name(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// A path from UTF-8 text, as every argument arrives.
inline std::filesystem::path path_from_utf8(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

}  // namespace exporter
