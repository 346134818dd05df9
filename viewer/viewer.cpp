#include "viewer/viewer.h"

#include <algorithm>

#include "page/render_page.h"
#include "platform/graphics/glyphs.h"
#include "present/controls.h"
#include "present/events.h"
#include "present/fonts.h"
#include "present/drawing/images.h"
#include "present/presentation.h"
#include "present/windows.h"
#include "viewer/diagnostics.h"
#include "viewer/page_shown.h"
#include "wavedata/decode_waves.h"

namespace viewer {
namespace {

constexpr std::size_t layer_heap_initial_size = 4096;

bool make_button(present::ObjectNumber number, const platform::Rect& area, std::string_view caption) {
  return present::create_push_button(number, area.left, area.top, area.width(), area.height(), caption) != 0;
}

void show_page(const ViewerState& state) {
  page::render_page(*state.bank, state.current_page, state.font);
  page_shown(state.current_page);
}

}  // namespace

bool open_viewer_window() {
  return present::open_window(main_window,
                              100, 100,  // discarded: CentreOnScreen places the window
                              1044, 350, window_title, window_flags) != 0 &&
         present::create_image(page_canvas, 1024, 300) != 0 &&
         present::create_image_view(image_view, 10, 10,
                                    512, 300,  // replaced by the canvas's own 1024 x 300
                                    present::image_handle(page_canvas)) != 0 &&
         make_button(previous_button, previous_button_area, "Previous") &&
         make_button(next_button, next_button_area, "Next");
}

bool start_viewer(ViewerState& state) {
  state = ViewerState{};
  state.heap = std::make_unique<std::pmr::unsynchronized_pool_resource>(
      std::pmr::pool_options{0, layer_heap_initial_size});
  present::start_presentation(state.heap.get());
  platform::set_font_report(report_font_fallback);
  state.bank = std::make_unique<wavedata::SampleBank>();
  state.font = present::load_font(present::assign_number, "Arial", 8);
  if (!open_viewer_window()) {
    shut_down_viewer(state);
    return false;
  }
  wavedata::decode_waves(wavedata::eprom_image, *state.bank);
  show_page(state);
  return true;
}

bool handle_event(ViewerState& state, std::int32_t code) {
  state.last_event = code;
  // Both tests run for every event, each asking for the control afresh.
  if (code == present::ControlEvent && present::event_control() == previous_button) {
    state.current_page = std::max(state.current_page - 1, first_page);
    show_page(state);
  }
  if (code == present::ControlEvent && present::event_control() == next_button) {
    state.current_page = std::min(state.current_page + 1, last_page);
    show_page(state);
  }
  return code != present::CloseEvent;
}

void run_event_loop(ViewerState& state) {
  while (handle_event(state, present::wait_event())) {
  }
}

void shut_down_viewer(ViewerState& state) {
  present::end_presentation();
  state.heap.reset();
}

}  // namespace viewer
