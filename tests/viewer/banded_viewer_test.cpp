#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/graphics/scale.h"
#include "platform/headless/backend.h"
#include "platform/window_system/window_system.h"
#include "present/events.h"
#include "present/layer.h"
#include "viewer/viewer.h"

namespace viewer {
namespace {

using platform::Pixel;
using platform::Point;

using Screen = std::vector<Pixel>;

// The whole program on a headless screen at a resolution, its window painted through a surface of
// `band_rows` layout rows (all its rows at 0).
class Session {
 public:
  Session(int dpi, int band_rows) {
    auto headless = std::make_unique<platform::HeadlessDisplay>(platform::Size{3840, 2160},
                                                                platform::HeadlessDisplay::default_frame, dpi);
    display_ = headless.get();
    display_->paint_in_bands(band_rows);
    platform::start_window_system(std::move(headless));
    started_ = start_viewer(state_);
    drain();
  }
  ~Session() {
    shut_down_viewer(state_);
    platform::stop_window_system();
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  bool started() const { return started_; }
  platform::WindowNode& window() { return *present::layer()->windows.find(0)->handle; }

  // Every device pixel of the window's inner area, rows top-down.
  Screen screen() {
    const platform::Size size = window().device_size();
    Screen pixels;
    for (int y = 0; y < size.height; ++y) {
      for (int x = 0; x < size.width; ++x) {
        pixels.push_back(display_->device_pixel(window(), {x, y}));
      }
    }
    return pixels;
  }

  void press(present::ObjectNumber button) {
    display_->wait_ms(1000);
    display_->press(platform::MouseButton::Left, centre_of(button));
    drain();
  }
  void release(present::ObjectNumber button) {
    display_->release(platform::MouseButton::Left, centre_of(button));
    drain();
  }
  // Part of the window comes out from under another one, in device pixels.
  void uncover(const platform::Rect& area) {
    display_->uncover(window(), area);
    drain();
  }

 private:
  Point centre_of(present::ObjectNumber button) {
    const platform::Rect area = platform::scaled(platform::child_with_id(window(), button)->bounds(), window().scale());
    return {window().bounds().left + (area.left + area.right) / 2, window().bounds().top + (area.top + area.bottom) / 2};
  }
  void drain() {
    for (int guard = 0; guard < 1000; ++guard) {
      const std::int32_t code = present::wait_event(std::chrono::milliseconds(0));
      if (code == 0) {
        return;
      }
      handle_event(state_, code);
    }
  }

  platform::HeadlessDisplay* display_ = nullptr;
  ViewerState state_;
  bool started_ = false;
};

// The screen after each step of a short session: the first page, "Next" held down, released (the
// second page), and part of the window uncovered.
std::vector<Screen> screens_of_a_session(int dpi, int band_rows, int& scale) {
  Session session(dpi, band_rows);
  EXPECT_TRUE(session.started());
  scale = session.window().scale();
  std::vector<Screen> screens{session.screen()};
  session.press(next_button);
  screens.push_back(session.screen());
  session.release(next_button);
  screens.push_back(session.screen());
  session.uncover(platform::Rect{300 * scale + 1, 100 * scale + 1, 700 * scale - 1, 330 * scale - 1});
  screens.push_back(session.screen());
  return screens;
}

TEST(BandedViewer, PaintedInBandsTheWindowShowsExactlyWhatAWholeSurfaceShows) {
  for (const int dpi : {96, 192}) {
    SCOPED_TRACE(dpi);
    int whole_scale = 0;
    int banded_scale = 0;
    const std::vector<Screen> whole = screens_of_a_session(dpi, 0, whole_scale);
    // Seven layout rows a band: the bands cut the picture, the buttons and their captions.
    const std::vector<Screen> banded = screens_of_a_session(dpi, 7, banded_scale);
    EXPECT_EQ(whole_scale, dpi / 96);
    EXPECT_EQ(banded_scale, whole_scale);
    // Each step changed the screen, so that each comparison below sees new painting.
    EXPECT_NE(whole[0], whole[1]);
    EXPECT_NE(whole[1], whole[2]);
    ASSERT_EQ(banded.size(), whole.size());
    for (std::size_t step = 0; step < whole.size(); ++step) {
      SCOPED_TRACE(step);
      EXPECT_TRUE(banded[step] == whole[step]);
    }
  }
}

}  // namespace
}  // namespace viewer
