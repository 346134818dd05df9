#include "viewer/viewer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

#include "platform/graphics/graphics_state.h"
#include "platform/headless/backend.h"
#include "platform/window_system/window_system.h"
#include "present/layer.h"
#include "present/drawing/colour.h"
#include "present/events.h"
#include "present/drawing/images.h"
#include "support/heap_in_use.h"
#include "support/reference_page.h"

namespace viewer {
namespace {

using platform::MouseButton;
using platform::Point;

// The whole program on a headless screen, driven by what a test does whenever it would wait.
class ViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto headless = std::make_unique<platform::HeadlessDisplay>(platform::Size{1920, 1080});
    display = headless.get();
    platform::start_window_system(std::move(headless));
    ASSERT_TRUE(start_viewer(state));
  }
  void TearDown() override {
    shut_down_viewer(state);
    platform::stop_window_system();
  }

  platform::WindowNode& window() {
    // The screen shows windows as const; the layer holds them as its operations take them.
    return *present::layer()->windows.find(*present::window_number_of(*display->topmost_window()))->handle;
  }
  platform::WindowNode& control(present::ObjectNumber number) { return *platform::child_with_id(window(), number); }
  Point centre_of(present::ObjectNumber number) {
    const platform::Rect& bounds = control(number).bounds();
    return {window().bounds().left + (bounds.left + bounds.right) / 2, window().bounds().top + (bounds.top + bounds.bottom) / 2};
  }
  void click(present::ObjectNumber number) {
    display->wait_ms(1000);
    display->click(MouseButton::Left, centre_of(number));
  }

  // Runs the event loop; `act` is called each time the program has nothing left to do, with
  // the number of the call, and returns false once it has nothing more to do itself.
  void run(std::function<bool(int)> act) {
    int calls = 0;
    display->on_idle([&] { return act(calls++); });
    run_event_loop(state);
    display->on_idle(nullptr);
  }

  // The point colour as the screen shows it.
  static constexpr platform::Pixel red = present::to_pixel(present::make_rgb(255, 0, 0));

  platform::Pixel shown(int x, int y) { return display->pixel(control(image_view), {x, y}); }
  std::vector<std::uint32_t> shown_picture() {
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < reference::ReferencePage::height; ++y) {
      for (int x = 0; x < reference::ReferencePage::width; ++x) {
        pixels.push_back(platform::value_of(shown(x, y)));
      }
    }
    return pixels;
  }
  std::string difference_from_page(int page) {
    return reference::ReferencePage(*state.bank, page).difference(shown_picture());
  }
  int shown_wave_zero_row() const { return state.bank->words[static_cast<std::size_t>(1024 * state.current_page)] + 20; }

  ViewerState state;
  platform::HeadlessDisplay* display = nullptr;
};

TEST_F(ViewerTest, StartsOnTheFirstPageShown) {
  EXPECT_EQ(state.current_page, 0);
  EXPECT_EQ(window().text(), window_title);
  EXPECT_EQ(shown(0, 151), red);
  EXPECT_EQ(shown(1, 182), red);
  EXPECT_EQ(difference_from_page(0), "");
  EXPECT_NE(state.font, 0);
}

TEST_F(ViewerTest, NextAndPreviousStepThroughThePagesClampedAtBothEnds) {
  std::vector<int> pages;
  run([&](int call) {
    pages.push_back(state.current_page);
    if (call == 0) {
      click(previous_button);  // on the first page
    } else if (call <= 31) {
      click(next_button);
    } else if (call == 32) {
      display->request_close(window());
    } else {
      return false;
    }
    return true;
  });
  ASSERT_EQ(pages.size(), 33u);
  EXPECT_EQ(pages[1], 0);
  for (int press = 1; press <= 30; ++press) {
    EXPECT_EQ(pages[static_cast<std::size_t>(press + 1)], press);
  }
  EXPECT_EQ(pages[32], 30);
  EXPECT_EQ(state.current_page, 30);
  // The last page, waves 240 to 247: its four empty slots lie flat on row 20.
  EXPECT_EQ(shown(1023, 20), red);
  EXPECT_EQ(shown(0, shown_wave_zero_row()), red);
  EXPECT_EQ(difference_from_page(30), "");
  EXPECT_EQ(state.last_event, present::CloseEvent);
}

TEST_F(ViewerTest, ThePageIsRedrawnAfterEveryPressEvenWhenItStays) {
  platform::Bitmap& canvas = *platform::find_bitmap(present::image_handle(0));
  const auto spoil = [&] { std::fill_n(canvas.pixels(), canvas.byte_size(), std::uint8_t{0x55}); };
  std::vector<std::pair<int, platform::Pixel>> seen;  // the page and the point of its first wave
  run([&](int call) {
    if (call > 0) {
      seen.emplace_back(state.current_page, shown(0, shown_wave_zero_row()));
    }
    spoil();
    if (call == 0) {
      click(previous_button);  // on the first page
    } else if (call == 1) {
      state.current_page = 30;
      click(next_button);  // on the last page
    } else if (call == 2) {
      display->request_close(window());
    } else {
      return false;
    }
    return true;
  });
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], std::make_pair(0, red));
  EXPECT_EQ(seen[1], std::make_pair(30, red));
  // The close event draws nothing.
  EXPECT_EQ(canvas.pixels()[0], 0x55);
}

TEST_F(ViewerTest, ClicksOnThePictureChangeNothing) {
  run([&](int call) {
    const Point inside{window().bounds().left + 200, window().bounds().top + 100};
    if (call == 0) {
      click(next_button);
    } else if (call < 5) {
      display->wait_ms(call % 2 == 0 ? 1000 : 10);
      display->click(call < 3 ? MouseButton::Left : MouseButton::Right, inside);
    } else if (call == 5) {
      display->press(MouseButton::Left, inside);
      display->move_pointer({inside.x + 40, inside.y});
      display->release(MouseButton::Left, {inside.x + 40, inside.y});
    } else if (call == 6) {
      display->request_close(window());
    } else {
      return false;
    }
    return true;
  });
  EXPECT_EQ(state.current_page, 1);
}

TEST_F(ViewerTest, TheCloseBoxEndsTheLoopWithTheWindowStillShown) {
  run([&](int call) {
    if (call == 0) {
      display->request_close(window());
      return true;
    }
    return false;
  });
  EXPECT_EQ(state.last_event, present::CloseEvent);
  EXPECT_TRUE(window().visible());
  platform::WindowNode* native = &window();
  EXPECT_TRUE(platform::is_window(native));
  shut_down_viewer(state);
  EXPECT_FALSE(platform::is_window(native));
  EXPECT_EQ(present::image_handle(page_canvas), 0);
}

TEST_F(ViewerTest, TabThenSpaceTurnsThePage) {
  run([&](int call) {
    if (call == 0) {
      display->type(platform::Key::Tab);
      display->type(platform::Key::Tab);
      display->type(platform::Key::Space);
    } else if (call == 1) {
      display->type(platform::Key::Tab, platform::Shift);
      display->type(platform::Key::Space);
    } else if (call == 2) {
      display->type(platform::Key::Space);
    } else if (call == 3) {
      display->request_close(window());
    } else {
      return false;
    }
    return true;
  });
  EXPECT_EQ(state.current_page, 0);  // Next, then Previous twice (clamped)
}

TEST_F(ViewerTest, ThousandsOfRandomActionsNeverLeaveThePagesOrCrash) {
  std::mt19937 random(20261207);
  const auto any_point = [&] {
    return Point{static_cast<int>(random() % 1920), static_cast<int>(random() % 1080)};
  };
  int actions = 0;
  int loops = 0;
  // A close request ends the event loop; the loop is entered again (the window is still there)
  // until all the actions are done.
  while (actions < 4000) {
    ++loops;
    run([&](int) {
      EXPECT_GE(state.current_page, 0);
      EXPECT_LE(state.current_page, 30);
      if (actions++ >= 4000) {
        display->request_close(window());
        return true;
      }
      switch (random() % 13) {
        case 0: display->move_pointer(any_point()); break;
        case 1: display->press(MouseButton::Left, any_point()); break;
        case 2: display->release(MouseButton::Left, any_point()); break;
        case 3: display->click(random() % 2 ? MouseButton::Left : MouseButton::Right, any_point()); break;
        case 4: click(random() % 3); break;
        case 5: display->type(random() % 2 ? platform::Key::Tab : platform::Key::Space, random() % 2 ? platform::Shift : 0); break;
        case 6: display->minimize(window()); break;
        case 7: display->restore(window()); break;
        case 8: display->move_window(window(), any_point()); break;
        case 9: display->activate(random() % 2 ? &window() : nullptr); break;
        case 10: display->wait_ms(static_cast<std::uint32_t>(random() % 800)); display->click(MouseButton::Left, centre_of(next_button)); break;
        case 11: display->click(MouseButton::Left, centre_of(previous_button)); break;
        default:
          if (random() % 20 == 0) {
            display->request_close(window());
          } else {
            display->type(platform::Key::Tab);
          }
          break;
      }
      return true;
    });
  }
  EXPECT_GT(loops, 3);
  EXPECT_TRUE(window().visible());
  EXPECT_GE(state.current_page, 0);
  EXPECT_LE(state.current_page, 30);
}

TEST_F(ViewerTest, MemoryStaysFlatOverTenThousandPageTurns) {
  const auto in_use = [] { return test_support::heap_in_use(); };
  std::size_t after_warm_up = 0;
  run([&](int call) {
    if (call == 200) {
      after_warm_up = in_use();
    }
    if (call < 10000) {
      // Back and forth over every page, without waiting long enough to matter.
      click(call / 30 % 2 == 0 ? next_button : previous_button);
      return true;
    }
    if (call == 10000) {
      display->request_close(window());
      return true;
    }
    return false;
  });
  EXPECT_LE(in_use(), after_warm_up + 4096);
}

}  // namespace
}  // namespace viewer
