#pragma once

#include <span>
#include <string>

namespace exporter {

// The program with arguments: converts as they ask and returns the exit code (0 done, 1 an export
// that failed, 2 a command line that cannot be read). Messages go to standard output (help,
// version) and standard error (one line per failure or skipped table).
int run_export(std::span<const std::string> arguments);

}  // namespace exporter
