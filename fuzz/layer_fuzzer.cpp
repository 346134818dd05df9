// Random sequences of the presentation layer's public operations on a headless screen: images,
// drawing sessions and their primitives, fonts and texts, windows and controls, events and the
// user's input, with numbers, coordinates and sizes from the edges of their ranges. Run under
// AddressSanitizer and UndefinedBehaviorSanitizer, any fault the layer lets a caller reach shows.

#include <fuzzer/FuzzedDataProvider.h>

#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/backend.h"
#include "platform/window_system/window_system.h"
#include "present/controls.h"
#include "present/drawing/drawing_session.h"
#include "present/events.h"
#include "present/fonts.h"
#include "present/drawing/images.h"
#include "present/presentation.h"
#include "present/drawing/primitives.h"
#include "present/drawing/text.h"
#include "present/windows.h"

namespace {

using present::ObjectNumber;

// The largest area, in pixels, of an image or window that a sequence makes: any larger and the
// run measures the machine's memory rather than the layer. One side may still reach any length.
constexpr std::int64_t max_area = std::int64_t{1} << 22;

template <typename Value, std::size_t count>
Value pick(FuzzedDataProvider& data, const Value (&values)[count]) {
  return values[data.ConsumeIntegralInRange<std::size_t>(0, count - 1)];
}

class Sequence {
 public:
  explicit Sequence(FuzzedDataProvider& data, platform::HeadlessDisplay& display) : data_(data), display_(display) {}

  void run_one() {
    switch (data_.ConsumeIntegralInRange(0, 23)) {
      case 0: {
        const int width = coordinate();
        const int height = coordinate();
        remember(present::create_image(number(), width, bounded(width, height), pick(data_, depths)));
        break;
      }
      case 1:
        remember(present::image_handle(number()));
        break;
      case 2:
        sessions_.push_back(present::image_output(number()));
        break;
      case 3:
        present::start_drawing(session());
        break;
      case 4:
        present::stop_drawing();
        break;
      case 5:
        present::fill_box(coordinate(), coordinate(), coordinate(), coordinate(), colour());
        break;
      case 6:
        present::draw_line(coordinate(), coordinate(), coordinate(), coordinate(), colour());
        break;
      case 7:
        present::plot_pixel(coordinate(), coordinate(), colour());
        break;
      case 8: {
        const char* faces[] = {"Arial", "", "Liberation Sans", "No Such Face", "DejaVu Sans Mono"};
        const std::string face = data_.ConsumeBool() ? pick(data_, faces) : data_.ConsumeRandomLengthString(24);
        const int points_choices[] = {INT_MIN, -100000, -8, -1, 0, 1, 8, 72, 500, 100000, INT_MAX};
        const int points = data_.ConsumeBool() ? pick(data_, points_choices) : data_.ConsumeIntegralInRange(-200, 200);
        remember(present::load_font(number(), face, points, data_.ConsumeIntegral<int>()));
        break;
      }
      case 9:
        remember(present::font_handle(number()));
        break;
      case 10:
        present::set_drawing_font(handle());
        break;
      case 11:
        present::draw_text(coordinate(), coordinate(), data_.ConsumeRandomLengthString(40), colour());
        break;
      case 12: {
        const int width = coordinate();
        const int height = coordinate();
        const std::uint32_t flag_choices[] = {0, present::CentreOnScreen, 0xCA0001, 0xCA0000, 0xFFFFFFFF};
        const std::uint32_t flags = data_.ConsumeBool() ? pick(data_, flag_choices) : data_.ConsumeIntegral<std::uint32_t>();
        remember(present::open_window(number(), coordinate(), coordinate(), width, bounded(width, height),
                                      data_.ConsumeRandomLengthString(20), flags));
        break;
      }
      case 13: {
        const int x = coordinate();
        const int y = coordinate();
        const int width = coordinate();
        remember(present::create_image_view(number(), x, y, width, coordinate(), handle()));
        break;
      }
      case 14: {
        const int x = coordinate();
        const int y = coordinate();
        const int width = coordinate();
        remember(present::create_push_button(number(), x, y, width, coordinate(), data_.ConsumeRandomLengthString(20)));
        break;
      }
      case 15:
        remember(present::set_control_state(number(), handle()));
        break;
      case 16:
        present::wait_event(std::chrono::milliseconds(0));
        present::event_control();
        break;
      case 17:
        pointer(data_.ConsumeIntegralInRange(0, 3));
        break;
      case 18:
        display_.key(data_.ConsumeBool() ? platform::Key::Tab : platform::Key::Space, data_.ConsumeBool(),
                     data_.ConsumeIntegralInRange(0, 7));
        break;
      case 19:
        window_action(data_.ConsumeIntegralInRange(0, 6));
        break;
      case 20:
        display_.wait_ms(data_.ConsumeIntegralInRange<std::uint32_t>(0, 1000));
        break;
      case 21:
        // The layer started again over itself, as a careless caller might.
        present::start_presentation();
        break;
      case 22:
        present::end_presentation();
        break;
      default:
        display_.change_colour_scheme();
        break;
    }
  }

 private:
  ObjectNumber number() {
    const ObjectNumber edges[] = {present::assign_number, 0, 1, 2, 15, 16, 17, 49, 50, 51, 0xFFFF, 0x10000,
                                  -2, INTPTR_MIN, INTPTR_MAX};
    switch (data_.ConsumeIntegralInRange(0, 3)) {
      case 0:
        return pick(data_, edges);
      case 1:
        return from(results_);
      case 2:
        return data_.ConsumeIntegral<ObjectNumber>();
      default:
        return data_.ConsumeIntegralInRange<ObjectNumber>(0, 20);
    }
  }

  // A handle of any kind: one the layer gave (images, fonts, windows, controls), or none.
  std::intptr_t handle() {
    const std::intptr_t edges[] = {0, -1, 1, INTPTR_MIN, INTPTR_MAX};
    return data_.ConsumeBool() ? from(results_) : pick(data_, edges);
  }

  int coordinate() {
    const int edges[] = {INT_MIN, INT_MIN + 1, -32769, -32768, -1000, -1, 0, 1, 2, 99, 100, 299, 300, 1023, 1024,
                         32767, 32768, INT_MAX - 1, INT_MAX};
    switch (data_.ConsumeIntegralInRange(0, 2)) {
      case 0:
        return pick(data_, edges);
      case 1:
        return data_.ConsumeIntegral<int>();
      default:
        return data_.ConsumeIntegralInRange(-64, 1100);
    }
  }

  present::Colour colour() { return data_.ConsumeIntegral<present::Colour>(); }

  present::DrawingSession* session() {
    switch (data_.ConsumeIntegralInRange(0, 2)) {
      case 0:
        return present::current_session();
      case 1:
        return nullptr;
      default:
        // Possibly one that has ended: it is only compared, never followed.
        return sessions_.empty() ? nullptr : sessions_[data_.ConsumeIntegralInRange<std::size_t>(0, sessions_.size() - 1)];
    }
  }

  // With both sides large, the second is made small (keeping its sign).
  static int bounded(int width, int height) {
    const std::int64_t area = std::llabs(std::int64_t{width}) * std::llabs(std::int64_t{height});
    if (area <= max_area) {
      return height;
    }
    return height < 0 ? -1 : 1;
  }

  std::intptr_t from(const std::vector<std::intptr_t>& values) {
    return values.empty() ? 0 : values[data_.ConsumeIntegralInRange<std::size_t>(0, values.size() - 1)];
  }

  void remember(std::intptr_t result) {
    if (result != 0 && results_.size() < 64) {
      results_.push_back(result);
    }
  }

  platform::Point screen_point() {
    return {data_.ConsumeIntegralInRange(-10, 1300), data_.ConsumeIntegralInRange(-10, 900)};
  }

  void pointer(int action) {
    const platform::MouseButton button = data_.ConsumeBool() ? platform::MouseButton::Left : platform::MouseButton::Right;
    const platform::Point at = screen_point();
    switch (action) {
      case 0:
        display_.move_pointer(at);
        break;
      case 1:
        display_.press(button, at);
        break;
      case 2:
        display_.release(button, at);
        break;
      default:
        display_.click(button, at);
        break;
    }
  }

  void window_action(int action) {
    const platform::WindowNode* window = display_.topmost_window();
    if (window == nullptr) {
      return;
    }
    switch (action) {
      case 0:
        display_.minimize(*window);
        break;
      case 1:
        display_.restore(*window);
        break;
      case 2:
        display_.request_close(*window);
        break;
      case 3:
        display_.move_window(*window, screen_point());
        break;
      case 4: {
        const platform::Point corner = screen_point();
        display_.uncover(*window, platform::Rect::at(corner, {data_.ConsumeIntegralInRange(-5, 1300),
                                                             data_.ConsumeIntegralInRange(-5, 900)}));
        break;
      }
      case 5:
        display_.expose(*window);
        break;
      default:
        display_.activate(data_.ConsumeBool() ? window : nullptr);
        break;
    }
  }

  static constexpr int depths[] = {-1, 0, 1, 8, 24, 32, 32 | present::transparent_start, 33, INT_MIN, INT_MAX};

  FuzzedDataProvider& data_;
  platform::HeadlessDisplay& display_;
  std::vector<std::intptr_t> results_;
  std::vector<present::DrawingSession*> sessions_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  const int dpis[] = {96, 144, 240};
  auto headless = std::make_unique<platform::HeadlessDisplay>(platform::Size{1280, 800},
                                                              platform::HeadlessDisplay::default_frame, pick(data, dpis));
  platform::HeadlessDisplay& display = *headless;
  display.paint_in_bands(data.ConsumeIntegralInRange(0, 30));
  display.hold_exposure(data.ConsumeBool());
  platform::start_window_system(std::move(headless));
  present::start_presentation();
  Sequence sequence(data, display);
  for (int step = 0; step < 200 && data.remaining_bytes() > 0; ++step) {
    sequence.run_one();
  }
  present::end_presentation();
  platform::stop_window_system();
  return 0;
}
