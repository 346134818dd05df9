#include "viewer/command_arguments.h"

namespace viewer {

std::vector<std::string> command_arguments(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}

void attach_to_console() {}

}  // namespace viewer
