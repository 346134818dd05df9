#include "export/output/output_file.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "export/failures.h"

namespace exporter {
namespace {

std::string system_message(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring wide = length != 0 ? std::wstring(text, length) : std::wstring(L"error ") + std::to_wstring(error);
  LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L'.')) {
    wide.pop_back();
  }
  return display_name(std::filesystem::path(wide));
}

[[noreturn]] void fail(const std::filesystem::path& path, DWORD error) {
  if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
    throw ExportFailure(display_name(path) + " exists; add --force to replace it");
  }
  throw ExportFailure(std::string("cannot write ") + display_name(path) + ": " + system_message(error));
}

// A name in the target's folder that no one else uses, made with CREATE_NEW.
HANDLE open_temporary(const std::filesystem::path& path, std::filesystem::path& temporary) {
  static unsigned serial = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::wstring name = L".";
    name += path.filename().wstring();
    name += L'.';
    name += std::to_wstring(GetCurrentProcessId());
    name += L'-';
    name += std::to_wstring(serial++);
    name += L".part";
    temporary = path;
    temporary.replace_filename(name);
    const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
      return file;
    }
  }
  return INVALID_HANDLE_VALUE;
}

bool write_all(HANDLE file, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
      return false;
    }
    bytes = bytes.subspan(written);
  }
  return true;
}

}  // namespace

void write_file_atomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, bool replace) {
  std::filesystem::path temporary;
  const HANDLE file = open_temporary(path, temporary);
  if (file == INVALID_HANDLE_VALUE) {
    fail(path, GetLastError());
  }
  const bool written = write_all(file, bytes);
  const DWORD write_error = GetLastError();
  if (!CloseHandle(file) || !written) {
    const DWORD error = written ? GetLastError() : write_error;
    DeleteFileW(temporary.c_str());
    fail(path, error);
  }
  if (!MoveFileExW(temporary.c_str(), path.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0)) {
    const DWORD error = GetLastError();
    DeleteFileW(temporary.c_str());
    fail(path, error);
  }
}

}  // namespace exporter
