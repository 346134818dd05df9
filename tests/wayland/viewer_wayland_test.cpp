// The real program on headless compositors of its own, driven as a user would drive it: the
// pointer through `swaymsg seat - cursor`, keys through wtype, the page read back from the
// compositor's screenshots and compared pixel for pixel with the page worked out from the waves.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <thread>

#include "support/decoded_bank.h"
#include "support/reference_page.h"
#include "viewer/viewer.h"
#include "wayland/compositor_session.h"
#include "x11/x_session.h"

namespace wayland_test {
namespace {

using namespace std::chrono_literals;
using platform::Point;
using platform::Rect;
using x11_test::processor_time;
using x11_test::settle;
using x11_test::start_program;
using x11_test::wait_for_exit;

// The program on a session of its own; killed at the end of a test that has not seen it end.
class Viewer {
 public:
  explicit Viewer(const CompositorSession& session, const std::string& name)
      : errors_(::testing::TempDir() + "tablescope_wayland_" + name + ".txt") {
    process_ = start_program(session.as_user({TABLESCOPE_BINARY}), errors_);
  }
  ~Viewer() {
    if (!ended_) {
      kill(process_, SIGKILL);
      wait_for_exit(process_, 5s);
    }
  }

  pid_t process() const { return process_; }
  std::optional<int> wait(std::chrono::milliseconds limit = 5s) {
    const std::optional<int> code = wait_for_exit(process_, limit);
    ended_ = code.has_value();
    return code;
  }
  std::string errors() const {
    std::ifstream stream(errors_);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
  }

 private:
  std::string errors_;
  pid_t process_ = -1;
  bool ended_ = false;
};

// Where sway shows the program's window: its inner area, in the output's logical pixels.
std::optional<Rect> window_on_sway(const CompositorSession& session) {
  const std::string tree = session.output_of({"swaymsg", "-t", "get_tree"});
  const std::size_t app = tree.find("\"app_id\": \"io.github.tablescope.Tablescope\"");
  if (app == std::string::npos) {
    return std::nullopt;
  }
  // A node's geometry comes before its application id: the last ones before it are the window's.
  const std::string before = tree.substr(0, app);
  const std::regex geometry("\"(rect|window_rect)\": \\{\\s*\"x\": (-?\\d+),\\s*\"y\": (-?\\d+),\\s*\"width\": (\\d+),"
                            "\\s*\"height\": (\\d+)");
  std::optional<Rect> outer, inner;
  for (auto match = std::sregex_iterator(before.begin(), before.end(), geometry); match != std::sregex_iterator();
       ++match) {
    const Rect found = Rect::at({std::stoi((*match)[2]), std::stoi((*match)[3])},
                                {std::stoi((*match)[4]), std::stoi((*match)[5])});
    ((*match)[1] == "rect" ? outer : inner) = found;
  }
  if (!outer || !inner) {
    return std::nullopt;
  }
  return inner->moved(outer->left, outer->top);
}

// The page shown, in device pixels read in blocks of the scale, against the page worked out.
std::string difference_now(const CompositorSession& session, const Rect& window, int page) {
  const int scale = session.scale();
  const Rect area = Rect::at({(window.left + 10) * scale, (window.top + 10) * scale}, {1024 * scale, 300 * scale});
  return reference::ReferencePage(test_support::decoded_bank(), page)
      .difference(in_blocks(session.screenshot(), area, scale));
}

// The same, once the page has had time to arrive.
std::string difference_from_page(const CompositorSession& session, const Rect& window, int page) {
  std::string difference;
  settle([&] { return (difference = difference_now(session, window, page)).empty(); });
  return difference;
}

// The window on sway, once it shows the page at the session's scale; nothing when it does not.
std::optional<Rect> showing_page(const CompositorSession& session, int page) {
  std::optional<Rect> window;
  std::string difference = "no window";
  settle([&] {
    window = window_on_sway(session);
    difference = window ? difference_now(session, *window, page) : "no window";
    return difference.empty();
  });
  return difference.empty() ? window : std::nullopt;
}

// Whether an area of the window holds detail finer than blocks of the scale: drawn at the output's
// resolution rather than magnified by the compositor.
bool finer_than_blocks(const CompositorSession& session, const Rect& window, const Rect& area) {
  const int scale = session.scale();
  const Picture shown = session.screenshot();
  const Rect device = Rect::at({(window.left + area.left) * scale, (window.top + area.top) * scale},
                               {area.width() * scale, area.height() * scale});
  for (int y = device.top; y < device.bottom && device.bottom <= shown.size.height; ++y) {
    for (int x = device.left; x < device.right && device.right <= shown.size.width; ++x) {
      if (shown.at(x, y) != shown.at(x - x % scale, y - y % scale)) return true;
    }
  }
  return false;
}

void click(const CompositorSession& session, const Rect& window, const Rect& button) {
  const Point at{window.left + (button.left + button.right) / 2, window.top + (button.top + button.bottom) / 2};
  ASSERT_EQ(session.run({"swaymsg", "seat", "-", "cursor", "set", std::to_string(at.x), std::to_string(at.y)}), 0);
  ASSERT_EQ(session.run({"swaymsg", "seat", "-", "cursor", "press", "button1"}), 0);
  ASSERT_EQ(session.run({"swaymsg", "seat", "-", "cursor", "release", "button1"}), 0);
}

class ViewerOnSwayTest : public ::testing::TestWithParam<int> {};

// One walk through the pages at each scale; a click leaves the focus on the button clicked.
TEST_P(ViewerOnSwayTest, PagesThroughTheWavesExactlyAndExitsWithZeroWhenKilled) {
  CompositorSession session(Compositor::Sway, GetParam());
  ASSERT_TRUE(session.ready());
  Viewer viewer(session, "walk");
  std::optional<Rect> window;
  ASSERT_TRUE(settle([&] { return (window = window_on_sway(session)).has_value(); })) << viewer.errors();
  EXPECT_EQ(window->size(), (platform::Size{1044, 350}));
  EXPECT_EQ(difference_from_page(session, *window, 0), "");
  // The labels too are the Linux build's own, as it draws them on any display.
  const std::string expected_file = ::testing::TempDir() + "tablescope_wayland_expected_page.ppm";
  ASSERT_EQ(x11_test::run_program({TABLESCOPE_EXPECTED_PAGE, "0", expected_file}), 0);
  const int scale = GetParam();
  EXPECT_TRUE(in_blocks(session.screenshot(),
                        Rect::at({(window->left + 10) * scale, (window->top + 10) * scale}, {1024 * scale, 300 * scale}),
                        scale) == read_ppm(expected_file).pixels);
  EXPECT_EQ(finer_than_blocks(session, *window, viewer::next_button_area), GetParam() > 1);

  // Waiting for the user takes no processor time.
  const auto before = processor_time(viewer.process());
  std::this_thread::sleep_for(1s);
  EXPECT_LE((processor_time(viewer.process()) - before).count(), 20);

  const struct {
    const char* step;
    std::optional<Rect> clicked;
    std::vector<std::string> keys;  // wtype's arguments
    int page;
  } walk[] = {
      {"Next", viewer::next_button_area, {}, 1},
      {"Next again", viewer::next_button_area, {}, 2},
      {"Previous", viewer::previous_button_area, {}, 1},
      {"Tab to Next, space", std::nullopt, {"-k", "Tab", "-k", "space"}, 2},
      {"Shift+Tab to Previous, space", std::nullopt, {"-M", "shift", "-k", "Tab", "-m", "shift", "-k", "space"}, 1},
      {"space again", std::nullopt, {"-k", "space"}, 0},
  };
  for (const auto& [step, clicked, keys, page] : walk) {
    SCOPED_TRACE(step);
    if (clicked) {
      click(session, *window, *clicked);
    } else {
      std::vector<std::string> typed{"wtype"};
      typed.insert(typed.end(), keys.begin(), keys.end());
      ASSERT_EQ(session.run(typed), 0);
    }
    EXPECT_EQ(difference_from_page(session, *window, page), "");
  }

  ASSERT_EQ(session.run({"swaymsg", "[app_id=io.github.tablescope.Tablescope]", "kill"}), 0);
  EXPECT_EQ(viewer.wait(), 0);
  EXPECT_EQ(viewer.errors(), "");
}

INSTANTIATE_TEST_SUITE_P(AtScale, ViewerOnSwayTest, ::testing::Values(1, 2));

// Where a picture shows the page: the top-left of the window's inner area; nothing where it does not.
std::optional<Point> find_page(const Picture& shown, const reference::ReferencePage& page) {
  constexpr int layout_width = 1044, layout_height = 350, margin = 10;
  for (int y = 0; y + layout_height <= shown.size.height; ++y) {
    for (int x = 0; x + layout_width <= shown.size.width; ++x) {
      // Cheap looks first: the first and last pixel of the first divider.
      if (shown.at(x + margin, y + margin) != page.pixel(0, 0) ||
          shown.at(x + margin, y + margin + page.height - 1) != page.pixel(0, page.height - 1)) {
        continue;
      }
      const Rect area = Rect::at({x + margin, y + margin}, {page.width, page.height});
      if (page.difference(in_blocks(shown, area, 1)).empty()) return Point{x, y};
    }
  }
  return std::nullopt;
}

// Weston decorates no window itself: libdecor draws the caption, with the title and the buttons,
// above the inner area; its close button ends the program as a close anywhere does.
TEST(ViewerOnWeston, ShowsThePageExactlyUnderACaptionWhoseCloseButtonEndsIt) {
  CompositorSession session(Compositor::Weston, 1);
  ASSERT_TRUE(session.ready());
  Viewer viewer(session, "weston");
  const reference::ReferencePage page(test_support::decoded_bank(), 0);
  Picture shown;
  std::optional<Point> window;
  ASSERT_TRUE(settle([&] {
    shown = session.screenshot();
    return (window = find_page(shown, page)).has_value();
  })) << "page 0 is not shown exactly; " << viewer.errors();

  // The caption's rows above the window: not the desktop, and with marks on its face in the middle
  // (the title) and at the right end (the close button).
  constexpr int caption_height = 24;
  ASSERT_GE(window->y, caption_height);
  std::map<std::uint32_t, int> colours;
  for (int y = window->y - caption_height; y < window->y; ++y) {
    for (int x = window->x; x < window->x + 1044; ++x) ++colours[shown.at(x, y)];
  }
  const std::uint32_t face =
      std::max_element(colours.begin(), colours.end(), [](auto a, auto b) { return a.second < b.second; })->first;
  EXPECT_NE(face, weston_background);
  const auto marked = [&](int left, int right) {
    for (int y = window->y - caption_height; y < window->y; ++y) {
      for (int x = window->x + left; x < window->x + right; ++x) {
        if (shown.at(x, y) != face && shown.at(x, y) != weston_background) return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(marked(400, 644)) << "no title";
  EXPECT_TRUE(marked(1044 - caption_height, 1044)) << "no close button";

  // The pointer comes into weston's window from outside it, onto the close button; a click that
  // weston takes before the move is made again.
  const Point close{window->x + 1044 - caption_height / 2, window->y - caption_height / 2};
  std::optional<int> code;
  for (int attempt = 0; attempt < 5 && !code; ++attempt) {
    x11_test::run_program({"xdotool", "mousemove", std::to_string(weston_output.width + 100),
                           std::to_string(weston_output.height + 40), "sleep", "0.05", "mousemove",
                           std::to_string(close.x), std::to_string(close.y), "click", "1"});
    code = viewer.wait(500ms);
  }
  EXPECT_EQ(code, 0) << "the close button did not end the program";
  EXPECT_EQ(viewer.errors(), "");
}

// A change of the output's scale while the program runs: the window is drawn again at the new
// one, up and down, keeping its page; back at 1 its buttons are as a window drawn at 1 shows them.
TEST(ViewerOnSwayChangingScale, DrawsAgainAtTheNewScaleKeepingThePage) {
  CompositorSession session(Compositor::Sway, 2);
  ASSERT_TRUE(session.ready());
  Viewer viewer(session, "rescaled");
  ASSERT_TRUE(showing_page(session, 0)) << viewer.errors();
  ASSERT_TRUE(session.rescale(1));
  std::optional<Rect> window = showing_page(session, 0);
  ASSERT_TRUE(window);
  click(session, *window, viewer::next_button_area);
  ASSERT_TRUE(window = showing_page(session, 1));
  const auto buttons = [&session](const Rect& at) {
    return in_blocks(session.screenshot(), Rect{at.left + 870, at.top + 320, at.left + 1020, at.top + 345}, 1);
  };
  const std::vector<std::uint32_t> drawn_at_1 = buttons(*window);
  for (const int scale : {2, 1}) {
    SCOPED_TRACE(scale);
    ASSERT_TRUE(session.rescale(scale));
    ASSERT_TRUE(window = showing_page(session, 1));
    EXPECT_EQ(window->size(), (platform::Size{1044, 350}));
    EXPECT_EQ(finer_than_blocks(session, *window, viewer::next_button_area), scale > 1);
  }
  EXPECT_TRUE(buttons(*window) == drawn_at_1);
  EXPECT_EQ(viewer.errors(), "");
}

// sway's `border csd` tells a window it decorates that the program is to draw its frame: the
// window is framed again (by libdecor, which asks sway anew and gets the caption sway gives new
// windows) rather than left without one, and shows its page as before.
TEST(ViewerOnSwayToldToDrawItsFrame, KeepsACaptionAndItsPage) {
  CompositorSession session(Compositor::Sway, 1);
  ASSERT_TRUE(session.ready());
  Viewer viewer(session, "framed");
  ASSERT_TRUE(showing_page(session, 0)) << viewer.errors();
  ASSERT_EQ(session.run({"swaymsg", "default_floating_border", "normal"}), 0);
  ASSERT_EQ(session.run({"swaymsg", "[app_id=io.github.tablescope.Tablescope]", "border", "csd"}), 0);
  // The page exact under a caption: a row above the window wholly unlike the desktop.
  const auto framed = [&session] {
    const std::optional<Rect> window = window_on_sway(session);
    if (!window || window->top < 8 || !difference_now(session, *window, 0).empty()) return false;
    const Picture shown = session.screenshot();
    for (int x = window->left; x < window->right; ++x) {
      if (shown.at(x, window->top - 8) == shown.at(0, 0)) return false;
    }
    return true;
  };
  EXPECT_TRUE(settle(framed)) << "no caption over the page; " << viewer.errors();

  ASSERT_EQ(session.run({"swaymsg", "[app_id=io.github.tablescope.Tablescope]", "kill"}), 0);
  EXPECT_EQ(viewer.wait(), 0);
  EXPECT_EQ(viewer.errors(), "");
}

TEST(ViewerLosingItsCompositor, EndsWithOneLineAndNonZero) {
  CompositorSession session(Compositor::Sway, 1);
  ASSERT_TRUE(session.ready());
  Viewer viewer(session, "lost");
  ASSERT_TRUE(settle([&] { return window_on_sway(session).has_value(); }));
  kill(session.compositor_pid(), SIGKILL);
  const std::optional<int> code = viewer.wait();
  ASSERT_TRUE(code) << "the program hung after its compositor went";
  EXPECT_NE(*code, 0);
  EXPECT_EQ(viewer.errors(), "tablescope: lost the connection to the Wayland compositor\n");
}

// Wayland is tried first, X11 next, and the line tells what each said.
TEST(ViewerWithoutAnyDisplay, SaysWhatItLookedForOnOneLine) {
  const x11_test::Ending ending = x11_test::run_to_its_end(
      {"env", "-u", "DISPLAY", "WAYLAND_DISPLAY=tablescope-no-such-compositor", TABLESCOPE_BINARY});
  EXPECT_EQ(ending.code, 2);
  EXPECT_EQ(ending.errors,
            "tablescope: needs a Wayland compositor or an X display to show its window: no Wayland compositor answers "
            "at \"tablescope-no-such-compositor\"; no X display is set (DISPLAY is unset)\n");
}

}  // namespace
}  // namespace wayland_test
