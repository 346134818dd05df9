#pragma once

#include <span>
#include <string>

#include "export/command/export_request.h"

namespace exporter {

struct Command {
  enum class Kind { Help, Version, Export };
  Kind kind = Kind::Help;
  ExportRequest request;
};

// Reads the program's arguments (without the program's name, in UTF-8): `--help`, `--version`,
// or `export MODE ...`. Throws UsageError with a one-line reason for anything it cannot read.
Command parse_command_line(std::span<const std::string> arguments);

}  // namespace exporter
