// A page starts the program without arguments, and the web build carries no export mode: were it
// ever given arguments, it would say so in one line.

#include <cstdio>

#include "export/run_export.h"

namespace exporter {

int run_export(std::span<const std::string>) {
  std::fputs("tablescope: the web build has no export mode; the desktop program converts the waves\n", stderr);
  return 2;
}

}  // namespace exporter
