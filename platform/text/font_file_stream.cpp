#include "platform/text/font_file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

int descriptor(FT_Stream stream) { return static_cast<int>(stream->descriptor.value); }

// FreeType asks with a count of 0 only to seek, and wants 0 back when the offset is valid.
unsigned long read_part(FT_Stream stream, unsigned long offset, unsigned char* buffer, unsigned long count) {
  if (count == 0) {
    return offset <= stream->size ? 0 : 1;
  }
  const ssize_t read = pread(descriptor(stream), buffer, count, static_cast<off_t>(offset));
  return read > 0 ? static_cast<unsigned long>(read) : 0;
}

void close_file(FT_Stream stream) {
  if (descriptor(stream) >= 0) {
    close(descriptor(stream));
    stream->descriptor.value = -1;
  }
}

}  // namespace

std::unique_ptr<FontFileStream> FontFileStream::open(const std::string& path) {
  const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (file < 0) {
    return nullptr;
  }
  struct stat status {};
  if (fstat(file, &status) != 0 || status.st_size <= 0) {
    close(file);
    return nullptr;
  }
  std::unique_ptr<FontFileStream> opened(new FontFileStream());
  opened->stream_.descriptor.value = file;
  opened->stream_.size = static_cast<unsigned long>(status.st_size);
  opened->stream_.read = read_part;
  opened->stream_.close = close_file;
  return opened;
}

FontFileStream::~FontFileStream() { close_file(&stream_); }

}  // namespace platform
