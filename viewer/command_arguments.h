#pragma once

#include <string>
#include <vector>

namespace viewer {

// The program's arguments after its name, in UTF-8 whatever the system's own encoding.
std::vector<std::string> command_arguments(int argc, char** argv);

// Makes standard output and standard error reach the terminal the program was started from.
// Windows gives a program with windows of its own no console: it attaches to its parent's, unless
// the streams lead somewhere already (a file or a pipe). Elsewhere there is nothing to do.
void attach_to_console();

}  // namespace viewer
