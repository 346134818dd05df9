#pragma once

#include <span>
#include <string>

#include "export/command/export_request.h"
#include "export/command/play_request.h"

namespace exporter {

struct Command {
  enum class Kind { Help, Version, Export, Play };
  Kind kind = Kind::Help;
  ExportRequest request;
  PlayRequest play;
};

// Reads the program's arguments (without the program's name, in UTF-8): `--help`, `--version`,
// `export MODE ...` or `play wave|table N ...`. Throws UsageError with a one-line reason for
// anything it cannot read.
Command parse_command_line(std::span<const std::string> arguments);

}  // namespace exporter
