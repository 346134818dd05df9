#include <optional>
#include <string>
#include <vector>

#include "window_system_fixture.h"

namespace platform {
namespace {

constexpr Size screen{1000, 800};
constexpr Size inner{400, 300};

// Where the inner area goes when the frame is centred on the screen.
Point centred_inner(const FrameExtents& frame) {
  const Size outer{inner.width + frame.left + frame.right, inner.height + frame.top + frame.bottom};
  return {(screen.width - outer.width) / 2 + frame.left, (screen.height - outer.height) / 2 + frame.top};
}

class PlacementTest : public WindowSystemTest {};

// The window manager frames a window, sometimes in steps; a window the program centred follows each
// new frame until the user moves it, and one placed anywhere else stays put. A window manager that
// starts after the window was shown (without a frame) adopts it and moves it by its frame before it
// tells of the frame, and before it answers any move.
TEST_F(PlacementTest, ACentredWindowFollowsEachNewFrameUntilTheUserMovesIt) {
  const FrameExtents guess = HeadlessDisplay::default_frame;
  struct Case {
    std::string name;
    bool centred;
    std::optional<Point> moved_by_user;  // the frame's top-left, before the frames come
    std::vector<FrameExtents> frames;
    Point inner_origin;
    std::optional<FrameExtents> adopted_into = std::nullopt;
  };
  const std::vector<Case> cases = {
      {"adopted by a window manager that started late", true, std::nullopt, {{0, 0, 0, 0}},
       centred_inner({1, 1, 20, 1}), FrameExtents{1, 1, 20, 1}},
      {"opened elsewhere, then adopted", false, std::nullopt, {{0, 0, 0, 0}}, {105, 150}, FrameExtents{1, 1, 20, 1}},
      {"a frame other than the guess", true, std::nullopt, {{2, 2, 20, 2}}, centred_inner({2, 2, 20, 2})},
      {"no frame first, then the real one", true, std::nullopt, {{0, 0, 0, 0}, {1, 1, 16, 1}},
       centred_inner({1, 1, 16, 1})},
      {"the guess again", true, std::nullopt, {guess}, centred_inner(guess)},
      {"moved by the user first", true, Point{10, 10}, {{2, 2, 20, 2}}, {10 + guess.left, 10 + guess.top}},
      {"opened elsewhere", false, std::nullopt, {{2, 2, 20, 2}}, {100 + guess.left, 100 + guess.top}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WindowNode* top = make_top(c.centred ? centred_origin(inner, style_title_bar) : Point{100, 100});
    ASSERT_NE(top, nullptr);
    show_window(*top);
    if (c.moved_by_user) {
      display->move_window(*top, *c.moved_by_user);
    }
    for (const FrameExtents& frame : c.frames) {
      display->change_frame(*top, frame);
    }
    if (c.adopted_into) {
      display->hold_moves(true);
      display->adopt(*top, *c.adopted_into);
      display->hold_moves(false);
      display->release_moves();
    }
    drain();
    EXPECT_EQ(top->bounds().origin(), c.inner_origin);
    EXPECT_EQ(top->frame(), c.adopted_into.value_or(c.frames.back()));
    destroy_window(top);
  }
}

// Window managers that do not honour the window's gravity put the frame's top-left where the window
// asks its inner area to go: some every time, some (i3) only when they first frame it. The window
// ends centred under each.
TEST_F(PlacementTest, ACentredWindowEndsCentredHoweverItsPositionIsRead) {
  const FrameExtents frame = HeadlessDisplay::default_frame;
  for (const int places_read_as_frames : {1, 100}) {
    SCOPED_TRACE(places_read_as_frames);
    display->read_places_as_frames(places_read_as_frames);
    WindowNode* top = make_top(centred_origin(inner, style_title_bar));
    ASSERT_NE(top, nullptr);
    show_window(*top);
    drain();
    EXPECT_EQ(top->bounds().origin(), centred_inner(frame));
    // A late report of the place the window first arrived at, shifted by its frame, is no move of
    // the user's: the window still follows a new frame.
    display->move_window(*top, centred_inner(frame));
    const FrameExtents thinner{2, 2, 20, 2};
    display->change_frame(*top, thinner);
    drain();
    EXPECT_EQ(top->bounds().origin(), centred_inner(thinner));
    display->move_window(*top, {10, 10});
    display->change_frame(*top, frame);
    drain();
    EXPECT_EQ(top->bounds().origin(), (Point{10 + thinner.left, 10 + thinner.top})) << "the user's place is kept";
    destroy_window(top);
  }
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

// A window manager whose frame window is larger than the frame it tells of (shadows) gives the one
// first and then the other, before the window has moved for the first: the window ends centred
// with the second.
TEST_F(PlacementTest, ALaterFrameOvertakesAMoveStillOnItsWay) {
  const FrameExtents told = HeadlessDisplay::default_frame;
  WindowNode* top = make_top(centred_origin(inner, style_title_bar));
  show_window(*top);
  display->hold_moves(true);
  display->change_frame(*top, {26, 26, 60, 29});
  display->change_frame(*top, told);
  display->hold_moves(false);
  display->release_moves();
  drain();
  EXPECT_EQ(top->bounds().origin(), centred_inner(told));
}

// Centred on the primary monitor wherever it lies on the desktop; a window too wide for the work
// area has its right edge, where its buttons are, on the work area's right edge, and one too tall
// has its top on the work area's top. So it stays under a window manager that pushes the frame's
// left edge onto the monitor where the window is shown, or when it is asked to move (here, to
// follow a new frame).
TEST_F(PlacementTest, AWindowGoesOnThePrimaryMonitorWithItsRightEdgeOnTheScreen) {
  const FrameExtents frame = HeadlessDisplay::default_frame;
  const Size outer{inner.width + frame.left + frame.right, inner.height + frame.top + frame.bottom};
  ASSERT_EQ(outer, (Size{408, 334}));
  using Pushes = HeadlessDisplay::Pushes;
  const FrameExtents thinner{2, 2, 20, 2};
  struct Case {
    std::string name;
    Rect monitor;
    std::optional<Rect> work_area;
    Point outer_origin;
    Pushes pushes = Pushes::None;
    std::optional<FrameExtents> new_frame = std::nullopt;
  };
  const std::vector<Case> cases = {
      {"narrower, pushed onto it where shown", {0, 0, 300, 800}, std::nullopt, {300 - 408, (800 - 334) / 2},
       Pushes::WhereShown},
      {"narrower, pushed onto it when moved", {0, 0, 300, 800}, std::nullopt, {300 - 404, (800 - 322) / 2},
       Pushes::WhenMoved, thinner},
      {"narrower, pushed onto it where shown, framed anew", {0, 0, 300, 800}, std::nullopt,
       {300 - 404, (800 - 322) / 2}, Pushes::WhereShown, thinner},
      {"right of another monitor", {1920, 0, 3200, 800}, std::nullopt, {1920 + (1280 - 408) / 2, (800 - 334) / 2}},
      {"below another monitor", {0, 1080, 1000, 1880}, std::nullopt, {(1000 - 408) / 2, 1080 + (800 - 334) / 2}},
      {"narrower than the window", {0, 0, 300, 800}, std::nullopt, {300 - 408, (800 - 334) / 2}},
      {"narrower and lower, with panels", {0, 0, 300, 250}, Rect{0, 20, 280, 250}, {280 - 408, 20}},
      {"small, right of another monitor", {1920, 0, 2220, 250}, std::nullopt, {2220 - 408, 0}},
      {"panels beside a window that fits", {0, 0, 1000, 800}, Rect{50, 0, 1000, 800}, {(1000 - 408) / 2, (800 - 334) / 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    display->set_monitor(c.monitor);
    if (c.work_area) {
      display->set_work_area(*c.work_area);
    }
    display->push_onto_screen(c.pushes);
    const Point origin = centred_origin(inner, style_title_bar);
    if (!c.new_frame) {
      EXPECT_EQ(origin, c.outer_origin);
    }
    WindowNode* top = make_top(origin);
    ASSERT_NE(top, nullptr);
    show_window(*top);
    if (c.new_frame) {
      display->change_frame(*top, *c.new_frame);
    }
    drain();
    const FrameExtents& ends_in = c.new_frame.value_or(frame);
    EXPECT_EQ(display->outer_origin(*top), c.outer_origin);
    EXPECT_EQ(display->outer_size(*top), (Size{inner.width + ends_in.left + ends_in.right,
                                               inner.height + ends_in.top + ends_in.bottom}));
    destroy_window(top);
    display->set_work_area(c.monitor);
    display->push_onto_screen(Pushes::None);
  }
}

// The resolution changes back and forth faster than the window manager moves the window, whose
// reports of where it was come after the next change: each change starts from where the window is
// about to be, so its centre stays.
TEST_F(PlacementTest, ARunOfResolutionChangesKeepsTheWindowsCentre) {
  WindowNode* top = make_top(centred_origin(inner, style_title_bar));
  show_window(*top);
  drain();
  const FrameExtents frame = HeadlessDisplay::default_frame;
  const Point centre{(screen.width - inner.width - frame.left - frame.right) / 2 + (inner.width + frame.left + frame.right) / 2,
                     (screen.height - inner.height - frame.top - frame.bottom) / 2 + (inner.height + frame.top + frame.bottom) / 2};
  display->hold_moves(true);
  for (int change = 0; change < 11; ++change) {
    display->change_resolution(change % 2 == 0 ? 192 : 96);
    display->release_moves(1);
  }
  display->hold_moves(false);
  display->release_moves();
  drain();
  // At 192 dpi: twice as large.
  ASSERT_EQ(top->scale(), 2);
  const Size outer{2 * inner.width + frame.left + frame.right, 2 * inner.height + frame.top + frame.bottom};
  EXPECT_EQ(display->outer_origin(*top), (Point{centre.x - outer.width / 2, centre.y - outer.height / 2}));
}

}  // namespace
}  // namespace platform
