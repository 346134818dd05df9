#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "platform/window_system/controls.h"
#include "platform/window_system/seam.h"
#include "present/drawing/drawing_session.h"
#include "present/drawing/primitives.h"
#include "support/headless_viewer_window.h"

namespace present {
namespace {

using platform::Point;
using platform::Rect;
using platform::Size;

class WindowTest : public HeadlessWindowFixture {};

TEST_F(WindowTest, TheWindowIsCentredWithItsInnerAreaAndControlsInPlace) {
  open_viewer_window();
  EXPECT_EQ(window().bounds().size(), (Size{1044, 350}));
  EXPECT_EQ(window().text(), viewer::window_title);
  const Size outer = display->outer_size(window());
  const Point origin = display->outer_origin(window());
  EXPECT_EQ(outer, (Size{1044 + 8, 350 + 34}));
  EXPECT_EQ(origin, (Point{(1920 - outer.width) / 2, (1080 - outer.height) / 2}));
  EXPECT_TRUE(window().visible());
  EXPECT_EQ(platform::active_window(), &window());

  EXPECT_EQ(control(0).bounds(), (Rect{10, 10, 1034, 310}));
  EXPECT_EQ(control(1).bounds(), (Rect{870, 320, 940, 345}));
  EXPECT_EQ(control(2).bounds(), (Rect{950, 320, 1020, 345}));
  EXPECT_EQ(control(1).text(), "Previous");
  EXPECT_EQ(control(2).text(), "Next");
  EXPECT_TRUE(control(1).tab_stop());
  EXPECT_FALSE(control(0).tab_stop());
  EXPECT_EQ(platform::focus(), nullptr);
}

TEST_F(WindowTest, OnASmallScreenTheWindowKeepsItsSizeWithItsButtonsOnTheScreen) {
  end_presentation();
  platform::stop_window_system();
  start({800, 1080});
  open_viewer_window();
  // Too wide: the frame's right edge at the screen's, the buttons with it; high enough to be
  // centred upright.
  EXPECT_EQ(display->outer_origin(window()), (Point{800 - 1052, (1080 - 384) / 2}));
  EXPECT_EQ(display->outer_size(window()), (Size{1052, 384}));
  EXPECT_EQ(window().bounds().size(), (Size{1044, 350}));

  end_presentation();
  platform::stop_window_system();
  start({640, 300});
  display->set_work_area({40, 24, 600, 300});
  open_viewer_window();
  // Too tall as well: the top at the work area's, below the panel.
  EXPECT_EQ(display->outer_origin(window()), (Point{600 - 1052, 24}));
  EXPECT_EQ(window().bounds().size(), (Size{1044, 350}));
  // "Next" is on the screen where it is.
  EXPECT_LT(centre_of(2).x, 600);
  display->move_window(window(), {-400, 0});
  drain();
  display->click(platform::MouseButton::Left, centre_of(2));
  EXPECT_EQ(centre_of(2).x, -400 + 4 + 985);
  std::int32_t code = 0;
  while ((code = wait_event(std::chrono::milliseconds(0))) != 0 && code != ControlEvent) {
  }
  EXPECT_EQ(code, ControlEvent);
  EXPECT_EQ(event_control(), 2);
}

TEST_F(WindowTest, ThePictureShowsTheCanvasPixelsAtOnceWhenItsStateIsSet) {
  open_viewer_window();
  drain();
  EXPECT_EQ(display->pixel(control(0), {0, 0}), to_pixel(make_rgb(0, 0, 0)));
  start_drawing(image_output(0));
  fill_box(0, 0, 1024, 300, make_rgb(10, 20, 30));
  plot_pixel(1023, 299, make_rgb(255, 0, 0));
  stop_drawing();
  EXPECT_EQ(display->pixel(control(0), {0, 0}), to_pixel(make_rgb(0, 0, 0)));
  const std::size_t presents = display->presents();
  EXPECT_EQ(set_control_state(0, image_handle(0)), image_handle(0));
  EXPECT_GT(display->presents(), presents);
  EXPECT_EQ(display->pixel(control(0), {0, 0}), to_pixel(make_rgb(10, 20, 30)));
  EXPECT_EQ(display->pixel(control(0), {1023, 299}), to_pixel(make_rgb(255, 0, 0)));
  EXPECT_EQ(display->pixel(window(), {1033, 309}), to_pixel(make_rgb(255, 0, 0)));
  EXPECT_EQ(control(0).bounds(), (Rect{10, 10, 1034, 310}));
  // Around the picture: the window's background.
  EXPECT_EQ(display->pixel(window(), {5, 5}), platform::system_colour(platform::SystemColour::ButtonFace));
  EXPECT_EQ(display->pixel(window(), {1034, 309}), platform::system_colour(platform::SystemColour::ButtonFace));

  EXPECT_EQ(set_control_state(7, image_handle(0)), 0);
}

TEST_F(WindowTest, APictureOf32BitPixelsIsLaidOverTheBackgroundByItsAlpha) {
  open_viewer_window();
  ASSERT_NE(create_image(1, 4, 2, 32 + transparent_start), 0);
  platform::Bitmap& image = *platform::find_bitmap(image_handle(1));
  const std::uint8_t half_red[4] = {0, 0, 255, 128};
  const std::uint8_t solid_blue[4] = {255, 0, 0, 255};
  std::copy_n(half_red, 4, image.row(0));
  std::copy_n(solid_blue, 4, image.row(0) + 4);
  ASSERT_NE(create_image_view(3, 100, 100, 10, 10, image_handle(1)), 0);
  drain();
  const platform::Pixel face = platform::system_colour(platform::SystemColour::ButtonFace);
  const int grey = static_cast<int>(platform::blue_of(face));
  EXPECT_EQ(control(3).bounds(), (Rect{100, 100, 104, 102}));
  EXPECT_EQ(display->pixel(control(3), {0, 0}),
            to_pixel(make_rgb((255 * 128 + grey * 127) / 255, grey * 127 / 255, grey * 127 / 255)));
  EXPECT_EQ(display->pixel(control(3), {1, 0}), to_pixel(make_rgb(0, 0, 255)));
  EXPECT_EQ(display->pixel(control(3), {2, 0}), face);
  EXPECT_EQ(display->pixel(control(3), {3, 1}), face);
}

TEST_F(WindowTest, AfterMinimizeAndRestoreThePictureShowsTheCanvasAgain) {
  open_viewer_window();
  drain();
  display->minimize(window());
  drain();
  start_drawing(image_output(0));
  fill_box(0, 0, 1024, 300, make_rgb(0, 200, 0));
  stop_drawing();
  // Painted over while minimized, as something covering the window would.
  const platform::Pixel stale = to_pixel(make_rgb(0x56, 0x34, 0x12));
  std::fill_n(window().surface().pixels, window().surface().stride * 350, stale);
  display->restore(window());
  drain();
  EXPECT_EQ(display->pixel(control(0), {500, 150}), to_pixel(make_rgb(0, 200, 0)));
  EXPECT_EQ(display->pixel(window(), {2, 2}), platform::system_colour(platform::SystemColour::ButtonFace));
  EXPECT_NE(display->pixel(control(1), {35, 12}), stale);
}

TEST_F(WindowTest, UncoveringTheWindowShowsTheCanvasAsItIsNow) {
  open_viewer_window();
  drain();
  start_drawing(image_output(0));
  fill_box(0, 0, 1024, 300, make_rgb(0, 0, 200));
  stop_drawing();
  ASSERT_EQ(display->pixel(control(0), {500, 150}), to_pixel(make_rgb(0, 0, 0)));
  // Part of the window comes out from under another one.
  platform::input::exposed(window(), Rect{400, 100, 700, 200});
  const std::vector<std::int32_t> codes = drain();
  EXPECT_NE(std::find(codes.begin(), codes.end(), RepaintEvent), codes.end());
  EXPECT_EQ(display->pixel(control(0), {500, 150}), to_pixel(make_rgb(0, 0, 200)));
  EXPECT_EQ(display->pixel(control(0), {390, 90}), to_pixel(make_rgb(0, 0, 200)));
  EXPECT_EQ(display->pixel(control(0), {689, 189}), to_pixel(make_rgb(0, 0, 200)));
  EXPECT_EQ(display->pixel(window(), {2, 2}), platform::system_colour(platform::SystemColour::ButtonFace));
  // An area turned inside out uncovers nothing.
  display->uncover(window(), Rect{700, 100, 400, 200});
  drain();
  EXPECT_EQ(display->pixel(control(0), {500, 150}), to_pixel(make_rgb(0, 0, 200)));
}

TEST_F(WindowTest, ReusingANumberReplacesTheObject) {
  open_viewer_window();
  platform::WindowNode* first_next = &control(2);
  ASSERT_NE(create_push_button(2, 950, 320, 70, 25, "Onward"), 0);
  EXPECT_FALSE(platform::is_window(first_next));
  EXPECT_EQ(control(2).text(), "Onward");
  EXPECT_EQ(window().children().size(), 3u);

  bool first_destroyed = false;
  platform::set_handler(window(), [&](const platform::Message& message) {
    first_destroyed = first_destroyed || message.code == platform::MessageCode::Destroy;
    return platform::default_handling(message);
  });
  platform::WindowNode* picture = &control(0);
  platform::WindowNode* previous = &control(1);
  ASSERT_NE(open_window(0, 0, 0, 300, 200, "Second", viewer::window_flags), 0);
  EXPECT_TRUE(first_destroyed);
  // The first window's controls went with it: their numbers name nothing any more.
  EXPECT_FALSE(platform::is_window(picture));
  EXPECT_FALSE(platform::is_window(previous));
  EXPECT_EQ(set_control_state(0, image_handle(0)), 0);
  EXPECT_TRUE(window().children().empty());
  EXPECT_EQ(window().bounds().size(), (Size{300, 200}));
}

TEST_F(WindowTest, ControlsWithAssignedNumbersGoWithTheirWindow) {
  open_viewer_window();
  const std::intptr_t button = create_push_button(assign_number, 10, 320, 70, 25, "Extra");
  const std::intptr_t picture = create_image_view(assign_number, 20, 20, 8, 8, image_handle(0));
  ASSERT_NE(button, 0);
  ASSERT_NE(picture, 0);
  // A new window may take a destroyed one's address, so destruction is seen as it happens.
  std::vector<std::intptr_t> destroyed;
  const auto watch = [&destroyed](platform::WindowNode& native, std::intptr_t number) {
    const platform::Handler own = platform::set_handler(native, nullptr);
    platform::set_handler(native, [&destroyed, own, number](const platform::Message& message) {
      if (message.code == platform::MessageCode::Destroy) {
        destroyed.push_back(number);
      }
      return own(message);
    });
  };
  watch(control(button), button);
  watch(control(picture), picture);
  platform::set_focus(&control(button));
  display->activate(nullptr);
  drain();

  ASSERT_NE(open_window(0, 0, 0, 300, 200, "Second", viewer::window_flags), 0);
  std::sort(destroyed.begin(), destroyed.end());
  EXPECT_EQ(destroyed, (std::vector<std::intptr_t>{std::min(button, picture), std::max(button, picture)}));
  // The numbers name nothing now: setting their state does nothing.
  EXPECT_EQ(set_control_state(picture, image_handle(0)), 0);
  EXPECT_EQ(set_control_state(button, 1), 0);
  display->activate(&window());
  drain();
  EXPECT_EQ(platform::focus(), nullptr);

  // Those made in the new window go with it when the layer ends.
  const std::intptr_t late = create_push_button(assign_number, 10, 10, 70, 25, "Late");
  ASSERT_NE(late, 0);
  watch(control(late), late);
  end_presentation();
  EXPECT_EQ(destroyed.back(), late);
}

TEST_F(WindowTest, EndingThePresentationClosesWindowsBeforeFreeingImages) {
  open_viewer_window();
  platform::WindowNode* native = &window();
  const platform::BitmapHandle canvas = image_handle(0);
  std::vector<std::string> order;
  platform::set_handler(*native, [&](const platform::Message& message) {
    if (message.code == platform::MessageCode::Destroy) {
      order.push_back(platform::find_bitmap(canvas) != nullptr ? "window, image alive" : "window, image gone");
    }
    return platform::default_handling(message);
  });
  end_presentation();
  EXPECT_EQ(order, std::vector<std::string>{"window, image alive"});
  EXPECT_FALSE(platform::is_window(native));
  EXPECT_EQ(platform::find_bitmap(canvas), nullptr);
  EXPECT_FALSE(platform::unregister_class("WindowClass_0"));
}

// Ended after the window system, whose windows went with it: the layer lets go of its records
// without touching those windows, and still frees its images.
TEST_F(WindowTest, EndingThePresentationAfterTheWindowSystemFreesTheImagesOnly) {
  open_viewer_window();
  const platform::BitmapHandle canvas = image_handle(0);
  platform::stop_window_system();
  end_presentation();
  EXPECT_EQ(platform::find_bitmap(canvas), nullptr);
  start({1920, 1080});
  open_viewer_window();
  EXPECT_EQ(window().bounds().size(), (Size{1044, 350}));
}

TEST_F(WindowTest, AWindowThatCannotBeMadeLeavesNothingBehind) {
  display->refuse_windows(true);
  EXPECT_EQ(open_window(0, 0, 0, 300, 200, "Refused", viewer::window_flags), 0);
  EXPECT_EQ(open_window(assign_number, 0, 0, 300, 200, "Refused", viewer::window_flags), 0);
  // Number 0 holds no window: there is none on the screen for controls to go into.
  EXPECT_EQ(display->topmost_window(), nullptr);
  EXPECT_EQ(create_push_button(1, 0, 0, 10, 10, "x"), 0);
  // Its class is gone again: the name can be registered anew.
  EXPECT_TRUE(platform::register_class({"WindowClass_0", platform::Pixel{}, false, nullptr}));
  EXPECT_TRUE(platform::unregister_class("WindowClass_0"));
  display->refuse_windows(false);
  open_viewer_window();
  EXPECT_EQ(window().bounds().size(), (Size{1044, 350}));
}

// As far as a desktop's 16-bit coordinates reach, however far the numbers go: a window keeps its
// size wherever it is put, and nothing worked out from the numbers overflows.
TEST_F(WindowTest, PositionsAndSizesAreHeldToWhatAWindowCanHave) {
  constexpr int far = max_window_extent;
  const platform::FrameExtents frame = platform::HeadlessDisplay::default_frame;
  struct Case {
    int x, y, width, height;
    Rect inner;
  };
  const Case windows[] = {
      {INT_MAX, INT_MIN, 100, 50, Rect::at({far + frame.left, -far + frame.top}, {100, 50})},
      {INT_MIN, INT_MAX, INT_MAX, 3, Rect::at({-far + frame.left, far + frame.top}, {far, 3})},
      {10, 20, INT_MIN, -5, Rect::at({10 + frame.left, 20 + frame.top}, {1, 1})},
  };
  for (const Case& test : windows) {
    ASSERT_NE(open_window(0, test.x, test.y, test.width, test.height, "Far", TitleBar), 0);
    EXPECT_EQ(window().bounds(), test.inner) << test.x << ", " << test.y << ", " << test.width << ", " << test.height;
  }
  const Case controls[] = {
      {INT_MAX, INT_MIN, INT_MAX, 10, Rect::at({far, -far}, {far, 10})},
      {INT_MIN, 5, 7, INT_MIN, Rect::at({-far, 5}, {7, 0})},
  };
  for (const Case& test : controls) {
    ASSERT_NE(create_push_button(1, test.x, test.y, test.width, test.height, "Far"), 0);
    EXPECT_EQ(control(1).bounds(), test.inner);
    ASSERT_NE(create_image_view(2, test.x, test.y, test.width, test.height, 0), 0);
    EXPECT_EQ(control(2).bounds(), test.inner);
  }
}

TEST_F(WindowTest, WithoutAWindowControlsAreNotMade) {
  EXPECT_EQ(create_push_button(1, 0, 0, 10, 10, "x"), 0);
  EXPECT_EQ(create_image_view(0, 0, 0, 10, 10, 0), 0);
  EXPECT_EQ(set_control_state(0, 1), 0);
}

}  // namespace
}  // namespace present
