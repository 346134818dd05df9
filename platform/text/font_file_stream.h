#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>
#include <string>

namespace platform {

// A font file that FreeType reads with pread, taking into memory only the tables and glyphs it
// asks for. A mapped file would be resident in 64 KB runs around every page it touches.
class FontFileStream {
 public:
  // Nothing when the file cannot be opened.
  static std::unique_ptr<FontFileStream> open(const std::string& path);
  ~FontFileStream();
  FontFileStream(const FontFileStream&) = delete;
  FontFileStream& operator=(const FontFileStream&) = delete;

  // For FT_Open_Face; the stream must outlive the face opened on it.
  FT_Open_Args arguments() {
    FT_Open_Args arguments{};
    arguments.flags = FT_OPEN_STREAM;
    arguments.stream = &stream_;
    return arguments;
  }

 private:
  FontFileStream() = default;
  FT_StreamRec stream_{};
};

}  // namespace platform
