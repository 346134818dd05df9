#include <gtest/gtest.h>

#include <algorithm>

#include "platform/paint.h"
#include "window_system_fixture.h"

namespace platform {
namespace {

constexpr Pixel tile_colour = rgb(0xCC, 0, 0);

// Windows of a class that paint all of themselves in one colour and count how often they did.
class PaintingTest : public WindowSystemTest {
 protected:
  void SetUp() override {
    WindowSystemTest::SetUp();
    register_class({"Tile", 0, false, [this](const Message& message) -> std::intptr_t {
                      log.push_back({message.window, message.code});
                      if (message.code != MessageCode::Paint) {
                        return default_handling(message);
                      }
                      PaintContext paint = begin_paint(*message.window);
                      clips.push_back(paint.clip());
                      paint.fill(Rect::at({0, 0}, message.window->bounds.size()), tile_colour);
                      end_paint(*message.window, paint);
                      return 0;
                    }});
  }

  Window* make_tile(Window& parent, const Rect& bounds) {
    return create_child("Tile", parent, "", 0, bounds, 9, false);
  }

  // How many messages of a kind the window got since the log held `start` of them.
  std::size_t count(const Window* window, MessageCode code, std::size_t start = 0) const {
    return static_cast<std::size_t>(std::count_if(log.begin() + static_cast<std::ptrdiff_t>(start), log.end(),
                                                  [&](const Handled& handled) {
                                                    return handled.window == window && handled.code == code;
                                                  }));
  }
  std::size_t paints_of(const Window* window, std::size_t start = 0) const {
    return count(window, MessageCode::Paint, start);
  }

  std::vector<Rect> clips;
};

TEST_F(PaintingTest, MarkedAreasGatherIntoOnePaintAndErasingOnlyWhereAsked) {
  Window* top = make_top();
  Window* tile = make_tile(*top, {20, 20, 120, 100});
  show_window(*top);
  drain();
  clips.clear();
  std::size_t start = log.size();

  invalidate(*tile, Rect{10, 10, 20, 20}, false);
  invalidate(*tile, Rect{30, 5, 40, 15}, false);
  invalidate(*tile, Rect{200, 200, 300, 300});  // wholly outside: nothing
  drain();
  EXPECT_EQ(paints_of(tile, start), 1u);
  EXPECT_EQ(count(tile, MessageCode::EraseBackground, start), 0u);
  EXPECT_EQ(clips, (std::vector<Rect>{{10, 5, 40, 20}}));

  // Cut to the window, and erased first when asked once among several marks.
  clips.clear();
  start = log.size();
  invalidate(*tile, Rect{90, 70, 150, 150}, false);
  invalidate(*tile, Rect{0, 0, 5, 5});
  drain();
  EXPECT_EQ(paints_of(tile, start), 1u);
  EXPECT_EQ(count(tile, MessageCode::EraseBackground, start), 1u);
  EXPECT_EQ(clips, (std::vector<Rect>{{0, 0, 100, 80}}));

  Message message;
  EXPECT_FALSE(get_message(message, std::chrono::milliseconds(0)));
}

TEST_F(PaintingTest, UpdatePaintsAtOnceAndShowsTheResultUnlessTheWindowCannotBeSeen) {
  Window* top = make_top();
  Window* tile = make_tile(*top, {20, 20, 120, 100});
  // Hidden: nothing to paint yet, even on request.
  update_window(*tile);
  EXPECT_EQ(paints_of(tile), 0u);
  show_window(*top);
  drain();

  std::size_t start = log.size();
  const std::size_t presents = display->presents();
  invalidate(*tile, Rect{1, 2, 3, 4}, false);
  update_window(*tile);
  EXPECT_EQ(paints_of(tile, start), 1u);
  EXPECT_EQ(display->presents(), presents + 1);
  Message message;
  EXPECT_FALSE(get_message(message, std::chrono::milliseconds(0)));  // nothing left to paint
  update_window(*tile);  // nothing marked: nothing painted
  EXPECT_EQ(paints_of(tile, start), 1u);

  display->minimize(*top);
  drain();
  start = log.size();
  invalidate(*tile);
  update_window(*tile);
  EXPECT_EQ(paints_of(tile, start), 0u);
  display->restore(*top);
  drain();
  EXPECT_EQ(paints_of(tile, start), 1u);
}

TEST_F(PaintingTest, ChildrenArePaintedOverTheirParentWhereverTheParentWasPainted) {
  Window* top = make_top();
  Window* tile = make_tile(*top, {20, 20, 60, 50});
  show_window(*top);
  drain();
  // The parent's background everywhere but under the child, which is painted over it.
  EXPECT_EQ(display->pixel(*top, {19, 20}), logged_background);
  EXPECT_EQ(display->pixel(*top, {20, 19}), logged_background);
  EXPECT_EQ(display->pixel(*top, {20, 20}), tile_colour);
  EXPECT_EQ(display->pixel(*top, {59, 49}), tile_colour);
  EXPECT_EQ(display->pixel(*top, {60, 49}), logged_background);
  EXPECT_EQ(display->pixel(*top, {59, 50}), logged_background);
  EXPECT_EQ(display->pixel(*tile, {0, 0}), tile_colour);

  // Erasing part of the parent paints that part of the child again, and only that part.
  clips.clear();
  std::size_t start = log.size();
  invalidate(*top, Rect{0, 0, 30, 25});
  update_window(*top);
  EXPECT_EQ(paints_of(tile, start), 1u);
  EXPECT_EQ(clips, (std::vector<Rect>{{0, 0, 10, 5}}));
  EXPECT_EQ(display->pixel(*top, {20, 20}), tile_colour);
  EXPECT_EQ(display->pixel(*top, {29, 24}), tile_colour);
  EXPECT_EQ(display->pixel(*top, {19, 24}), logged_background);

  // Painting the parent away from the child leaves the child alone.
  start = log.size();
  invalidate(*top, Rect{100, 100, 200, 200});
  update_window(*top);
  EXPECT_EQ(paints_of(top, start), 1u);
  EXPECT_EQ(paints_of(tile, start), 0u);

  // A child that goes leaves the parent's background behind.
  destroy_window(tile);
  drain();
  EXPECT_EQ(display->pixel(*top, {20, 20}), logged_background);
  EXPECT_EQ(display->pixel(*top, {59, 49}), logged_background);
}

}  // namespace
}  // namespace platform
