#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "export/run_export.h"
#include "platform/graphics/glyphs.h"
#include "platform/native_display.h"
#include "platform/window_system/window_system.h"
#include "viewer/command_arguments.h"
#include "viewer/diagnostics.h"
#include "viewer/viewer.h"
#include "viewer/window_icon.h"

namespace {

// As the desktop entry and the package name the program; 1 is the icon's number in the Windows
// build's resources.
platform::ProgramIdentity identity() {
  return {"io.github.tablescope.Tablescope", "tablescope", "Tablescope", viewer::window_icon(), 1};
}

}  // namespace

// Without arguments Tablescope opens its window on the desktop, shows the waves until the window
// is closed, and exits with 0. With arguments it converts the waves into files, or plays one, and
// exits, without opening any display.
int main(int argc, char** argv) {
  viewer::open_standard_streams();
  const std::vector<std::string> arguments = viewer::command_arguments(argc, argv);
  if (!arguments.empty()) {
    viewer::attach_to_console();
    return exporter::run_export(arguments);
  }
  try {
    platform::OpenedDisplay opened = platform::open_native_display(identity(), viewer::report_display_failure,
                                                                   std::getenv("TABLESCOPE_BACKEND"));
    if (!opened.display) {
      std::fprintf(stderr, "tablescope: needs %s to show its window: %s\n", opened.described.c_str(),
                   viewer::printable(opened.error).c_str());
      return 2;
    }
    platform::start_window_system(std::move(opened.display));
    viewer::ViewerState state;
    if (!viewer::start_viewer(state)) {
      std::fprintf(stderr, "tablescope: could not open its window on %s\n", opened.described.c_str());
      platform::stop_window_system();
      return 1;
    }
    viewer::run_event_loop(state);
    viewer::shut_down_viewer(state);
    platform::stop_window_system();
    return 0;
  } catch (const std::bad_alloc&) {
    std::fputs("tablescope: ran out of memory\n", stderr);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "tablescope: stopped: %s\n", failure.what());
  }
  return 1;
}
