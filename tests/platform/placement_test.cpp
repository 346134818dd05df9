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
// new frame until the user moves it, and one placed anywhere else stays put.
TEST_F(PlacementTest, ACentredWindowFollowsEachNewFrameUntilTheUserMovesIt) {
  const FrameExtents guess = HeadlessDisplay::default_frame;
  struct Case {
    std::string name;
    bool centred;
    std::optional<Point> moved_by_user;  // the frame's top-left, before the frames come
    std::vector<FrameExtents> frames;
    Point inner_origin;
  };
  const std::vector<Case> cases = {
      {"a frame other than the guess", true, std::nullopt, {{2, 2, 20, 2}}, centred_inner({2, 2, 20, 2})},
      {"no frame first, then the real one", true, std::nullopt, {{0, 0, 0, 0}, {1, 1, 16, 1}},
       centred_inner({1, 1, 16, 1})},
      {"the guess again", true, std::nullopt, {guess}, centred_inner(guess)},
      {"moved by the user first", true, Point{10, 10}, {{2, 2, 20, 2}}, {10 + guess.left, 10 + guess.top}},
      {"opened elsewhere", false, std::nullopt, {{2, 2, 20, 2}}, {100 + guess.left, 100 + guess.top}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Window* top = make_top(c.centred ? centred_origin(inner, style_title_bar) : Point{100, 100});
    ASSERT_NE(top, nullptr);
    show_window(*top);
    if (c.moved_by_user) {
      display->move_window(*top, *c.moved_by_user);
    }
    for (const FrameExtents& frame : c.frames) {
      display->change_frame(*top, frame);
    }
    drain();
    EXPECT_EQ(top->bounds.origin(), c.inner_origin);
    EXPECT_EQ(top->frame, c.frames.back());
    destroy_window(top);
  }
}

}  // namespace
}  // namespace platform
