#include "viewer/viewer.h"

#include <algorithm>

#include "page/render_page.h"
#include "present/controls.h"
#include "present/events.h"
#include "present/fonts.h"
#include "present/images.h"
#include "present/presentation.h"
#include "present/windows.h"
#include "wavedata/decode_waves.h"

namespace viewer {
namespace {

constexpr present::ObjectNumber main_window = 0;
constexpr present::ObjectNumber page_canvas = 0;
constexpr present::ObjectNumber image_view = 0;
constexpr present::ObjectNumber previous_button = 1;
constexpr present::ObjectNumber next_button = 2;

constexpr std::uint32_t window_flags =
    present::TitleBar | present::WindowMenu | present::MinimizeBox | present::CentreOnScreen;  // 0xCA0001
constexpr std::size_t layer_heap_initial_size = 4096;

void show_page(const ViewerState& state) { page::render_page(*state.bank, state.current_page, state.font); }

}  // namespace

bool start_viewer(ViewerState& state) {
  state = ViewerState{};
  state.heap = std::make_unique<std::pmr::unsynchronized_pool_resource>(
      std::pmr::pool_options{0, layer_heap_initial_size});
  present::start_presentation(state.heap.get());
  state.bank = std::make_unique<wavedata::SampleBank>();
  state.font = present::load_font(present::assign_number, "Arial", 8);
  const bool made = present::open_window(main_window, 100, 100, 1044, 350,
                                         "Tablescope for PPG Wave 2.2 Eeproms 64 & 68", window_flags) != 0 &&
                    present::create_image(page_canvas, 1024, 300) != 0 &&
                    present::create_image_view(image_view, 10, 10, 512, 300, present::image_handle(page_canvas)) != 0 &&
                    present::create_push_button(previous_button, 870, 320, 70, 25, "Previous") != 0 &&
                    present::create_push_button(next_button, 950, 320, 70, 25, "Next") != 0;
  if (!made) {
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
