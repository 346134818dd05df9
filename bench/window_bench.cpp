#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/headless/backend.h"
#include "platform/window_system/window_system.h"
#include "tests/support/test_program.h"
#include "platform/x11/backend.h"
#include "present/controls.h"
#include "present/events.h"
#include "present/drawing/images.h"
#include "present/layer.h"
#include "viewer/viewer.h"

namespace {

// The window system on the headless display, or on the X display named by DISPLAY.
bool start_display(bool on_x11, benchmark::State& state) {
  if (!on_x11) {
    platform::start_window_system(std::make_unique<platform::HeadlessDisplay>(platform::Size{1920, 1080}));
    return true;
  }
  std::string error;
  auto display = platform::open_x11_display(tests::test_program, error);
  if (!display) {
    state.SkipWithError(("no X display: " + error).c_str());
    return false;
  }
  platform::start_window_system(std::move(display));
  return true;
}

// Lets the viewer's window reach the screen and be painted there, as the user first sees it.
void wait_until_painted_on_screen() {
  platform::WindowNode& window = *present::layer()->windows.find(0)->handle;
  while (!platform::display()->on_screen(window) || !window.update().empty()) {
    present::wait_event(std::chrono::milliseconds(1));
  }
}

// From building everything to the first page on the screen.
void start_up_to_first_page(benchmark::State& state) {
  const bool on_x11 = state.range(0) != 0;
  for (auto _ : state) {
    if (!start_display(on_x11, state)) {
      return;
    }
    viewer::ViewerState viewer_state;
    if (!viewer::start_viewer(viewer_state)) {
      state.SkipWithError("the viewer did not start");
      platform::stop_window_system();
      return;
    }
    wait_until_painted_on_screen();
    state.PauseTiming();
    viewer::shut_down_viewer(viewer_state);
    platform::stop_window_system();
    state.ResumeTiming();
  }
}
BENCHMARK(start_up_to_first_page)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(20);

// The canvas pushed to the display by set_control_state: painted into the window's surface and
// handed to the display (on X11 through shared memory, band by band, waiting for the server only
// when the ring of bands comes round to one it has not read yet).
void show_canvas(benchmark::State& state) {
  if (!start_display(state.range(0) != 0, state)) {
    return;
  }
  viewer::ViewerState viewer_state;
  viewer::start_viewer(viewer_state);
  wait_until_painted_on_screen();
  for (auto _ : state) {
    present::set_control_state(0, present::image_handle(0));
  }
  viewer::shut_down_viewer(viewer_state);
  platform::stop_window_system();
}
BENCHMARK(show_canvas)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A press of "Next" (or "Previous", back and forth) from the button's release to the new page's
// pixels handed to the display.
void page_turn(benchmark::State& state) {
  if (!start_display(state.range(0) != 0, state)) {
    return;
  }
  viewer::ViewerState viewer_state;
  viewer::start_viewer(viewer_state);
  wait_until_painted_on_screen();
  platform::WindowNode& window = *present::layer()->windows.find(0)->handle;
  std::uint32_t time = 100000;
  int turn = 0;
  for (auto _ : state) {
    const platform::Point button{turn++ / 30 % 2 == 0 ? 985 : 905, 332};
    time += 1000;
    platform::input::button(window, platform::MouseButton::Left, true, button, time);
    platform::input::button(window, platform::MouseButton::Left, false, button, time + 1);
    std::int32_t code = 0;
    do {
      code = present::wait_event();
    } while (!(code == present::ControlEvent && present::event_control() != 0));
    viewer::handle_event(viewer_state, code);
  }
  viewer::shut_down_viewer(viewer_state);
  platform::stop_window_system();
}
BENCHMARK(page_turn)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
