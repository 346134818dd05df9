// Writes the page that the web build must show, as a binary PPM of the picture's 1024 x 300
// pixels: every pixel outside the label cells from the page worked out from the drawing rules,
// and the label cells as the Linux build draws them (fontconfig and FreeType on the headless
// display), which the web build's FreeType has to match pixel for pixel.
//   tablescope_expected_page <page> <file>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "platform/headless/backend.h"
#include "platform/window_system/window_system.h"
#include "present/events.h"
#include "support/decoded_bank.h"
#include "support/reference_page.h"
#include "viewer/viewer.h"

namespace {

// Clicks "Next" until the viewer shows the page.
void turn_to(platform::HeadlessDisplay& display, viewer::ViewerState& state, int page) {
  const platform::WindowNode& window = *display.topmost_window();
  const platform::Rect& next = platform::child_with_id(window, viewer::next_button)->bounds();
  const platform::Point centre{window.bounds().left + (next.left + next.right) / 2,
                               window.bounds().top + (next.top + next.bottom) / 2};
  while (state.current_page < page) {
    display.wait_ms(1000);
    display.click(platform::MouseButton::Left, centre);
    for (std::int32_t code = present::wait_event(std::chrono::milliseconds(0)); code != 0;
         code = present::wait_event(std::chrono::milliseconds(0))) {
      viewer::handle_event(state, code);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int page = argc == 3 ? std::atoi(argv[1]) : -1;
  if (page < viewer::first_page || page > viewer::last_page) {
    std::fputs("usage: tablescope_expected_page <page 0 to 30> <file>\n", stderr);
    return 2;
  }
  auto headless = std::make_unique<platform::HeadlessDisplay>(platform::Size{1920, 1080});
  platform::HeadlessDisplay& display = *headless;
  platform::start_window_system(std::move(headless));
  viewer::ViewerState state;
  if (!viewer::start_viewer(state)) {
    std::fputs("tablescope_expected_page: the viewer did not start\n", stderr);
    return 1;
  }
  turn_to(display, state, page);

  const reference::ReferencePage expected(test_support::decoded_bank(), page);
  const platform::WindowNode& window = *display.topmost_window();
  std::string pixels;
  for (int y = 0; y < reference::ReferencePage::height; ++y) {
    for (int x = 0; x < reference::ReferencePage::width; ++x) {
      const std::uint32_t colour = reference::ReferencePage::in_label_cell(x, y)
                                       ? platform::value_of(display.pixel(window, {10 + x, 10 + y}))
                                       : expected.pixel(x, y);
      pixels += {static_cast<char>(colour >> 16), static_cast<char>(colour >> 8), static_cast<char>(colour)};
    }
  }
  viewer::shut_down_viewer(state);
  platform::stop_window_system();

  std::ofstream file(argv[2], std::ios::binary);
  file << "P6\n" << reference::ReferencePage::width << ' ' << reference::ReferencePage::height << "\n255\n" << pixels;
  if (!file.flush()) {
    std::fprintf(stderr, "tablescope_expected_page: could not write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
