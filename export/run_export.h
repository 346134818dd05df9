#pragma once

#include <span>
#include <string>

namespace exporter {

// The program with arguments: converts or plays as they ask and returns the exit code (0 done, 1
// an export or a sound that failed, 2 a command line that cannot be read, 130 a sound stopped by
// Ctrl+C). Messages go to standard output (help, version) and standard error (one line per
// failure, skipped table or scaled file).
int run_export(std::span<const std::string> arguments);

}  // namespace exporter
