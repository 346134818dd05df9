#include <gtest/gtest.h>
#include <signal.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <fstream>
#include <functional>
#include <memory>
#include <thread>

#include "support/decoded_bank.h"
#include "support/reference_page.h"
#include "x_probe.h"
#include "x_session.h"

namespace x11_test {
namespace {

using namespace std::chrono_literals;
using platform::Point;
using platform::Rect;
using platform::Size;


// A server of the test's own with a screen of the given size and depth, openbox on it, and the
// desktop's resolution set as a desktop's settings daemon sets it.
class ScreenSession {
 public:
  ScreenSession(const std::string& screen, int dpi) : session(setup(screen)) {
    if (session.ready()) {
      set_dpi(dpi);
      probe = std::make_unique<XProbe>();
    }
  }
  ~ScreenSession() { stop(); }

  static SessionSetup setup(const std::string& screen) {
    SessionSetup setup;
    setup.server_options = {"-screen", "0", screen};
    return setup;
  }

  // The root window's resources, as `xrdb` would leave them.
  void set_dpi(int dpi) {
    Display* x = XOpenDisplay(session.display().c_str());
    ASSERT_NE(x, nullptr);
    const std::string resources = "Xft.dpi:\t" + std::to_string(dpi) + "\n";
    XChangeProperty(x, DefaultRootWindow(x), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources.data()), static_cast<int>(resources.size()));
    XCloseDisplay(x);
  }

  bool start() {
    if (!session.ready() || !probe || !probe->connected()) {
      return false;
    }
    viewer = start_program({TABLESCOPE_BINARY}, error_file);
    return viewer > 0 && settle([&] { return (window = probe->window_of(viewer)).has_value(); });
  }
  void stop() {
    if (viewer > 0) {
      kill(viewer, SIGKILL);
      wait_for_exit(viewer, 5s);
      viewer = -1;
    }
  }

  Rect inner() { return probe->inner_area(*window); }

  // The pixel values of an area of the screen as the server stores them.
  std::vector<std::uint32_t> capture_values(const Rect& area) {
    Display* x = XOpenDisplay(session.display().c_str());
    std::vector<std::uint32_t> values;
    if (x == nullptr) {
      return values;
    }
    XImage* image = XGetImage(x, DefaultRootWindow(x), area.left, area.top, static_cast<unsigned>(area.width()),
                              static_cast<unsigned>(area.height()), AllPlanes, ZPixmap);
    if (image != nullptr) {
      for (int y = 0; y < area.height(); ++y) {
        for (int x_pixel = 0; x_pixel < area.width(); ++x_pixel) {
          values.push_back(static_cast<std::uint32_t>(XGetPixel(image, x_pixel, y)));
        }
      }
      XDestroyImage(image);
    }
    XCloseDisplay(x);
    return values;
  }

  // The picture at a scale, each block of scale x scale pixels read as one pixel when all of its
  // pixels are alike; empty when a block is not.
  std::vector<std::uint32_t> picture_in_blocks(int scale) {
    const Rect area = Rect::at({inner().left + 10 * scale, inner().top + 10 * scale}, {1024 * scale, 300 * scale});
    const std::vector<std::uint32_t> shown = probe->capture(area);
    if (shown.size() != static_cast<std::size_t>(area.width()) * static_cast<std::size_t>(area.height())) {
      return {};
    }
    std::vector<std::uint32_t> blocks;
    for (int y = 0; y < 300; ++y) {
      for (int x = 0; x < 1024; ++x) {
        const std::uint32_t first = shown[static_cast<std::size_t>(y * scale) * area.width() + x * scale];
        for (int dy = 0; dy < scale; ++dy) {
          for (int dx = 0; dx < scale; ++dx) {
            if (shown[static_cast<std::size_t>(y * scale + dy) * area.width() + x * scale + dx] != first) {
              return {};
            }
          }
        }
        blocks.push_back(first);
      }
    }
    return blocks;
  }

  bool shows_in_blocks(int page, int scale) {
    const reference::ReferencePage expected(test_support::decoded_bank(), page);
    return settle([&] { return expected.difference(picture_in_blocks(scale)).empty(); });
  }

  void click_at(Point device) {
    const Rect area = inner();
    ASSERT_EQ(run_program({"xdotool", "mousemove", std::to_string(area.left + device.x),
                           std::to_string(area.top + device.y), "click", "1"}),
              0);
  }

  std::string errors() {
    std::ifstream stream(error_file);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
  }

  XSession session;
  std::unique_ptr<XProbe> probe;
  const std::string error_file = ::testing::TempDir() + "tablescope_scaling.txt";
  pid_t viewer = -1;
  std::optional<::Window> window;
};

// Whether a button's caption lies whole inside its frame: the frame keeps its colour all round,
// the caption's pixels keep one pixel clear of it, and (at a scale above 1) the caption is finer
// than the blocks of a magnified one.
::testing::AssertionResult caption_whole(ScreenSession& viewer, const Rect& button, int scale) {
  const std::vector<std::uint32_t> pixels = viewer.probe->capture(button.moved(viewer.inner().left, viewer.inner().top));
  const int width = button.width();
  const int height = button.height();
  if (pixels.size() != static_cast<std::size_t>(width * height)) {
    return ::testing::AssertionFailure() << "no capture";
  }
  const auto at = [&](int x, int y) { return pixels[static_cast<std::size_t>(y * width + x)]; };
  for (int x = 0; x < width; ++x) {
    for (int y = 0; y < height; ++y) {
      const bool on_frame = x == 0 || y == 0 || x == width - 1 || y == height - 1;
      if (on_frame && at(x, y) != at(0, 0)) {
        return ::testing::AssertionFailure() << "the frame is broken at (" << x << ", " << y << ")";
      }
    }
  }
  const std::uint32_t face = at(1, height / 2);
  Rect ink;
  bool finer = false;
  for (int y = 1; y < height - 1; ++y) {
    for (int x = 1; x < width - 1; ++x) {
      if (at(x, y) != face) {
        ink = ink.united(Rect{x, y, x + 1, y + 1});
      }
      finer = finer || at(x, y) != at(x - x % scale, y - y % scale);
    }
  }
  if (ink.empty()) {
    return ::testing::AssertionFailure() << "no caption";
  }
  if (ink.left < 2 || ink.top < 2 || ink.right > width - 2 || ink.bottom > height - 2) {
    return ::testing::AssertionFailure() << "the caption reaches its frame: " << ink.left << "," << ink.top << " to "
                                         << ink.right << "," << ink.bottom << " in " << width << "x" << height;
  }
  if (scale > 1 && !finer) {
    return ::testing::AssertionFailure() << "the caption is made of magnified blocks";
  }
  return ::testing::AssertionSuccess();
}

Rect previous_button(int scale) { return Rect::at({870 * scale, 320 * scale}, {70 * scale, 25 * scale}); }
Rect next_button(int scale) { return Rect::at({950 * scale, 320 * scale}, {70 * scale, 25 * scale}); }

TEST(ViewerAt192Dpi, IsTwiceAsLargeAndShowsThePageInSolidBlocks) {
  ScreenSession viewer("3840x2160x24", 96);
  ASSERT_TRUE(viewer.start()) << "the window did not appear";
  ASSERT_TRUE(viewer.shows_in_blocks(0, 1));
  const std::vector<std::uint32_t> at_96 = viewer.picture_in_blocks(1);
  viewer.stop();

  viewer.set_dpi(192);
  ASSERT_TRUE(viewer.start()) << "the window did not appear";
  EXPECT_EQ(viewer.inner().size(), (Size{2088, 700}));
  EXPECT_TRUE(viewer.shows_in_blocks(0, 2));
  // Labels included: the labels are made for 96 dpi and magnified with the rest.
  EXPECT_EQ(viewer.picture_in_blocks(2), at_96);
  EXPECT_TRUE(caption_whole(viewer, previous_button(2), 2));
  EXPECT_TRUE(caption_whole(viewer, next_button(2), 2));

  viewer.click_at({2030, 680});  // near the bottom right of "Next", layout (1015, 340)
  EXPECT_TRUE(viewer.shows_in_blocks(1, 2));
  viewer.click_at({1745, 645});  // near the top left of "Previous", layout (872, 322)
  EXPECT_TRUE(viewer.shows_in_blocks(0, 2));
  EXPECT_EQ(viewer.errors(), "");
}

TEST(ViewerAt192Dpi, FollowsTheDesktopWhenItsResolutionChanges) {
  ScreenSession viewer("3840x2160x24", 96);
  ASSERT_TRUE(viewer.start()) << "the window did not appear";
  ASSERT_TRUE(viewer.shows_in_blocks(0, 1));
  viewer.set_dpi(192);
  EXPECT_TRUE(settle([&] { return viewer.inner().size() == Size{2088, 700}; }));
  EXPECT_TRUE(viewer.shows_in_blocks(0, 2));
  EXPECT_TRUE(caption_whole(viewer, next_button(2), 2));
  viewer.click_at({1960, 660});
  EXPECT_TRUE(viewer.shows_in_blocks(1, 2));
  viewer.set_dpi(96);
  EXPECT_TRUE(settle([&] { return viewer.inner().size() == Size{1044, 350}; }));
  EXPECT_TRUE(viewer.shows_in_blocks(1, 1));
  EXPECT_EQ(viewer.errors(), "");
}

TEST(ViewerAt144Dpi, IsTwiceAsLargeWhereItFitsAndItsCaptionsFitTheButtonsEitherWay) {
  {
    ScreenSession viewer("3840x2160x24", 144);
    ASSERT_TRUE(viewer.start()) << "the window did not appear";
    EXPECT_EQ(viewer.inner().size(), (Size{2088, 700}));
    EXPECT_TRUE(viewer.shows_in_blocks(0, 2));
    EXPECT_TRUE(caption_whole(viewer, previous_button(2), 2));
    EXPECT_TRUE(caption_whole(viewer, next_button(2), 2));
  }
  ScreenSession viewer("1920x1080x24", 144);
  ASSERT_TRUE(viewer.start()) << "the window did not appear";
  EXPECT_EQ(viewer.inner().size(), (Size{1044, 350}));
  EXPECT_TRUE(viewer.shows_in_blocks(0, 1));
  EXPECT_TRUE(caption_whole(viewer, previous_button(1), 1));
  EXPECT_TRUE(caption_whole(viewer, next_button(1), 1));
}

TEST(ViewerAt120Dpi, KeepsItsSizeAndPreviousFitsItsButton) {
  ScreenSession viewer("1920x1080x24", 120);
  ASSERT_TRUE(viewer.start()) << "the window did not appear";
  EXPECT_EQ(viewer.inner().size(), (Size{1044, 350}));
  EXPECT_TRUE(viewer.shows_in_blocks(0, 1));
  EXPECT_TRUE(caption_whole(viewer, previous_button(1), 1));
  EXPECT_TRUE(caption_whole(viewer, next_button(1), 1));
}

TEST(ViewerOnASmallScreen, KeepsItsSizeWithItsButtonsOnTheScreen) {
  ScreenSession viewer("800x600x24", 96);
  ASSERT_TRUE(viewer.start()) << "the window did not appear";
  std::optional<platform::FrameExtents> frame;
  ASSERT_TRUE(settle([&] { return (frame = viewer.probe->frame_extents(*viewer.window)).has_value(); }));
  EXPECT_EQ(viewer.inner().size(), (Size{1044, 350}));
  // The frame's right edge on the screen's, the buttons with it; upright, centred.
  EXPECT_TRUE(settle([&] {
    return viewer.inner().origin() ==
           Point{800 - frame->right - 1044, (600 - 350 - frame->top - frame->bottom) / 2 + frame->top};
  })) << viewer.inner().left << ", " << viewer.inner().top;

  // Dragged further left, "Next" still turns the page.
  ASSERT_EQ(run_program({"xdotool", "windowmove", std::to_string(*viewer.window), "-400", "100"}), 0);
  ASSERT_TRUE(settle([&] { return viewer.inner().left < -300; }));
  viewer.click_at({985, 332});
  // The part of the picture on the screen: layout x from 410 on, up to the right end.
  const reference::ReferencePage page_1(test_support::decoded_bank(), 1);
  EXPECT_TRUE(settle([&] {
    const int left = -viewer.inner().left;  // the first layout column on the screen
    const Rect seen{0, viewer.inner().top + 10, viewer.inner().left + 1034, viewer.inner().top + 310};
    const std::vector<std::uint32_t> shown = viewer.probe->capture(seen);
    for (int y = 0; y < 300; ++y) {
      for (int x = left - 10; x < 1024; ++x) {
        const std::uint32_t pixel = shown[static_cast<std::size_t>(y * seen.width() + x - (left - 10))];
        if (!reference::ReferencePage::in_label_cell(x, y) && pixel != page_1.pixel(x, y)) {
          return false;
        }
      }
    }
    return true;
  }));
  EXPECT_EQ(viewer.errors(), "");
}

// What a 0x00RRGGBB colour is stored as with channels of these widths, red highest: each
// channel the nearest of its levels.
std::uint32_t quantised(std::uint32_t colour, int red_bits, int green_bits, int blue_bits) {
  const auto level = [](std::uint32_t value, int bits) { return (value * ((1u << bits) - 1) * 2 + 255) / 510; };
  return level(colour >> 16 & 0xFF, red_bits) << (green_bits + blue_bits) |
         level(colour >> 8 & 0xFF, green_bits) << blue_bits | level(colour & 0xFF, blue_bits);
}

void shows_page_quantised(const std::string& screen, int red_bits, int green_bits, int blue_bits) {
  SCOPED_TRACE(screen);
  ScreenSession viewer(screen, 96);
  ASSERT_TRUE(viewer.start()) << "the window did not appear";
  const reference::ReferencePage page(test_support::decoded_bank(), 0);
  EXPECT_TRUE(settle([&] {
    const std::vector<std::uint32_t> shown =
        viewer.capture_values(Rect::at({viewer.inner().left + 10, viewer.inner().top + 10}, {1024, 300}));
    if (shown.size() != 1024u * 300u) {
      return false;
    }
    for (int y = 0; y < 300; ++y) {
      for (int x = 0; x < 1024; ++x) {
        if (!reference::ReferencePage::in_label_cell(x, y) &&
            shown[static_cast<std::size_t>(y * 1024 + x)] != quantised(page.pixel(x, y), red_bits, green_bits, blue_bits)) {
          return false;
        }
      }
    }
    return true;
  }));
  EXPECT_EQ(viewer.errors(), "");
}

TEST(ViewerOnOtherDepths, ShowsThePageInTheNearestColoursTheVisualHas) {
  shows_page_quantised("1280x1024x16", 5, 6, 5);
  shows_page_quantised("1280x1024x30", 10, 10, 10);
}

TEST(ViewerOnOtherDepths, RefusesA256ColourDisplayWithOneLine) {
  SessionSetup setup;
  setup.window_manager = {};
  setup.server_options = {"-screen", "0", "1280x1024x8"};
  XSession session(setup);
  ASSERT_TRUE(session.ready());
  // The X11 backend's own words: a Wayland compositor, tried first, is left out.
  const Ending ending = run_to_its_end({"env", "TABLESCOPE_BACKEND=x11", TABLESCOPE_BINARY});
  ASSERT_TRUE(ending.code);
  EXPECT_NE(*ending.code, 0);
  EXPECT_EQ(ending.errors, "tablescope: needs an X display to show its window: the X display shows no true colour (its "
                           "visual is 8-bit PseudoColor)\n");
}

}  // namespace
}  // namespace x11_test
