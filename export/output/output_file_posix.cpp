#include "export/output/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

#include "export/failures.h"

namespace exporter {
namespace {

[[noreturn]] void fail(const std::filesystem::path& path, int error) {
  throw ExportFailure(std::string("cannot write ") + display_name(path) + ": " + std::strerror(error));
}

[[noreturn]] void refuse_existing(const std::filesystem::path& path) {
  throw ExportFailure(display_name(path) + " exists; add --force to replace it");
}

// A name in the target's folder that no one else uses, made with O_EXCL; the descriptor is returned.
int open_temporary(const std::filesystem::path& path, std::filesystem::path& temporary) {
  static unsigned serial = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = ".";
    name += path.filename().string();
    name += '.';
    name += std::to_string(getpid());
    name += '-';
    name += std::to_string(serial++);
    name += ".part";
    temporary = path;
    temporary.replace_filename(name);
    const int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0 || errno != EEXIST) {
      return descriptor;
    }
  }
  return -1;
}

bool write_all(int descriptor, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(descriptor, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return false;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

// Without replacing, the link fails rather than take the place of a file that appeared meanwhile.
int give_name(const std::filesystem::path& temporary, const std::filesystem::path& path, bool replace) {
  if (replace) {
    return rename(temporary.c_str(), path.c_str()) == 0 ? 0 : errno;
  }
  if (link(temporary.c_str(), path.c_str()) == 0) {
    unlink(temporary.c_str());
    return 0;
  }
  // Some file systems (FAT, some network ones) have no hard links: look, then rename.
  if (errno == EPERM || errno == ENOTSUP || errno == EOPNOTSUPP) {
    if (access(path.c_str(), F_OK) == 0) {
      return EEXIST;
    }
    return rename(temporary.c_str(), path.c_str()) == 0 ? 0 : errno;
  }
  return errno;
}

}  // namespace

void write_file_atomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, bool replace) {
  // Past a file-size limit, a write should fail with EFBIG and be reported, not end the process.
  static const bool size_limit_signal_ignored = std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR;
  (void)size_limit_signal_ignored;

  std::filesystem::path temporary;
  const int descriptor = open_temporary(path, temporary);
  if (descriptor < 0) {
    fail(path, errno);
  }
  const bool written = write_all(descriptor, bytes);
  const int write_error = errno;
  if (close(descriptor) != 0 || !written) {
    const int error = written ? errno : write_error;
    unlink(temporary.c_str());
    fail(path, error);
  }
  const int error = give_name(temporary, path, replace);
  if (error != 0) {
    unlink(temporary.c_str());
    if (error == EEXIST) {
      refuse_existing(path);
    }
    fail(path, error);
  }
}

}  // namespace exporter
