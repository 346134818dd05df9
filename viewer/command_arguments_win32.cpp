#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "viewer/command_arguments.h"

namespace viewer {
namespace {

std::string utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
  if (size > 1) {
    WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
  }
  return result;
}

bool leads_somewhere(DWORD stream) {
  const HANDLE handle = GetStdHandle(stream);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

// The narrow arguments are in the system's code page, which cannot hold every file name.
std::vector<std::string> command_arguments(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; wide != nullptr && i < count; ++i) {
    arguments.push_back(utf8(wide[i]));
  }
  LocalFree(wide);
  return arguments;
}

void attach_to_console() {
  const bool output = leads_somewhere(STD_OUTPUT_HANDLE);
  const bool errors = leads_somewhere(STD_ERROR_HANDLE);
  if ((output && errors) || !AttachConsole(ATTACH_PARENT_PROCESS)) {
    return;
  }
  SetConsoleOutputCP(CP_UTF8);
  if (!output) {
    std::freopen("CONOUT$", "w", stdout);
  }
  if (!errors) {
    std::freopen("CONOUT$", "w", stderr);
  }
}

}  // namespace viewer
