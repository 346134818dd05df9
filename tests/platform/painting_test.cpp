#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "platform/window_system/window_system.h"
#include "window_system_fixture.h"

namespace platform {
namespace {

constexpr Pixel tile_colour = rgb(0xCC, 0, 0);
constexpr Pixel repainted_colour = rgb(0, 0xCC, 0);

// Windows of a class that paint all of themselves in one colour and count how often they did.
class PaintingTest : public WindowSystemTest {
 protected:
  void SetUp() override {
    WindowSystemTest::SetUp();
    register_class({"Tile", Pixel{}, false, [this](const Message& message) -> std::intptr_t {
                      log.push_back({message.window, message.code});
                      if (message.code != MessageCode::Paint) {
                        return default_handling(message);
                      }
                      PaintContext paint = begin_paint(*message.window);
                      clips.push_back(paint.clip());
                      paint.fill(Rect::at({0, 0}, message.window->bounds().size()), colour);
                      end_paint(*message.window, paint);
                      return 0;
                    }});
  }

  WindowNode* make_tile(WindowNode& parent, const Rect& bounds) {
    return create_child("Tile", parent, "", 0, bounds, 9, false);
  }

  // How many messages of a kind the window got since the log held `start` of them.
  std::size_t count(const WindowNode* window, MessageCode code, std::size_t start = 0) const {
    return static_cast<std::size_t>(std::count_if(log.begin() + static_cast<std::ptrdiff_t>(start), log.end(),
                                                  [&](const Handled& handled) {
                                                    return handled.window == window && handled.code == code;
                                                  }));
  }
  std::size_t paints_of(const WindowNode* window, std::size_t start = 0) const {
    return count(window, MessageCode::Paint, start);
  }

  // Every pixel of the top-level window's inner area is what `expected` says of its point.
  ::testing::AssertionResult shows(const WindowNode& top, const std::function<Pixel(Point)>& expected) const {
    for (int y = 0; y < top.bounds().height(); ++y) {
      for (int x = 0; x < top.bounds().width(); ++x) {
        if (display->pixel(top, {x, y}) != expected({x, y})) {
          return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ")";
        }
      }
    }
    return ::testing::AssertionSuccess();
  }

  std::vector<Rect> clips;
  Pixel colour = tile_colour;  // what tiles paint themselves in
};

TEST_F(PaintingTest, MarkedAreasGatherIntoOnePaintAndErasingOnlyWhereAsked) {
  WindowNode* top = make_top();
  WindowNode* tile = make_tile(*top, {20, 20, 120, 100});
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
  WindowNode* top = make_top();
  WindowNode* tile = make_tile(*top, {20, 20, 120, 100});
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
  WindowNode* top = make_top();
  WindowNode* tile = make_tile(*top, {20, 20, 60, 50});
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

TEST_F(PaintingTest, ThroughASurfaceOfSomeRowsEveryMarkedRowIsPaintedOnceBandByBand) {
  // Seven rows a band: neither the window nor the tile fits a whole number of them.
  display->paint_in_bands(7);
  WindowNode* top = make_top();
  const Rect tile_bounds{20, 20, 120, 100};
  WindowNode* tile = make_tile(*top, tile_bounds);
  ASSERT_EQ(top->surface().size, (Size{400, 7}));
  show_window(*top);
  drain();
  EXPECT_TRUE(shows(*top, [&](Point at) { return tile_bounds.contains(at) ? tile_colour : logged_background; }));
  // Within its parent's painting the tile gets the rows of the parent's band at hand each time,
  // the bands lying from the window's top row down.
  std::vector<Rect> expected;
  for (int band = 14; band < 100; band += 7) {
    expected.push_back(Rect{0, std::max(band, 20), 100, std::min(band + 7, 100)}.moved(0, -20));
  }
  EXPECT_EQ(clips, expected);
  EXPECT_TRUE(tile->update().empty());
  EXPECT_TRUE(top->update().empty());
  Message message;
  EXPECT_FALSE(get_message(message, std::chrono::milliseconds(0)));

  // Painted alone, the tile's own bands start at its marked rows, and nothing around it changes.
  clips.clear();
  colour = repainted_colour;
  const std::size_t start = log.size();
  const std::size_t presents = display->presents();
  invalidate(*tile, Rect{0, 3, 100, 80}, false);
  drain();
  expected.clear();
  for (int band = 3; band < 80; band += 7) {
    expected.push_back(Rect{0, band, 100, std::min(band + 7, 80)});
  }
  EXPECT_EQ(clips, expected);
  EXPECT_EQ(paints_of(top, start), 0u);
  EXPECT_EQ(display->presents(), presents + expected.size());
  EXPECT_TRUE(shows(*top, [&](Point at) {
    return !tile_bounds.contains(at) ? logged_background : at.y < 23 ? tile_colour : repainted_colour;
  }));

  // Marked all over while its parent paints a few rows: within the parent's painting the tile
  // paints the band at hand, and what stays marked is painted after, each row once.
  clips.clear();
  colour = tile_colour;
  invalidate(*tile, std::nullopt, false);
  invalidate(*top, Rect{0, 0, 400, 25});
  drain();
  expected = {{0, 0, 100, 1}, {0, 1, 100, 8}};
  for (int band = 8; band < 80; band += 7) {
    expected.push_back(Rect{0, band, 100, std::min(band + 7, 80)});
  }
  EXPECT_EQ(clips, expected);
  EXPECT_TRUE(shows(*top, [&](Point at) { return tile_bounds.contains(at) ? tile_colour : logged_background; }));
}

TEST_F(PaintingTest, AChildReachingPastItsWindowIsPaintedAndShownOnlyWithinTheWindow) {
  display->paint_in_bands(7);
  WindowNode* top = make_top();
  // 400 rows in a window of 300, from row 20 on.
  const Rect tile_bounds{20, 20, 120, 420};
  WindowNode* tile = make_tile(*top, tile_bounds);
  show_window(*top);
  drain();
  for (const Rect& clip : clips) {
    EXPECT_LE(clip.bottom, 280);
  }
  EXPECT_TRUE(tile->update().empty());

  // Painted alone, its bands stop at the window's last row.
  clips.clear();
  colour = repainted_colour;
  const std::size_t presents = display->presents();
  invalidate(*tile, std::nullopt, false);
  drain();
  std::vector<Rect> expected;
  for (int band = 20; band < 300; band += 7) {
    expected.push_back(Rect{0, band, 100, std::min(band + 7, 300)}.moved(0, -20));
  }
  EXPECT_EQ(clips, expected);
  EXPECT_EQ(display->presents(), presents + expected.size());
  EXPECT_TRUE(shows(*top, [&](Point at) { return tile_bounds.contains(at) ? repainted_colour : logged_background; }));
}

TEST_F(PaintingTest, AShownWindowIsPaintedOnceWhenItReachesTheScreen) {
  display->hold_exposure(true);
  WindowNode* top = make_top();
  const Rect tile_bounds{20, 20, 120, 100};
  WindowNode* tile = make_tile(*top, tile_bounds);
  show_window(*top);
  drain();
  update_window(*tile);
  // What would be painted now would never be seen.
  EXPECT_EQ(paints_of(top), 0u);
  EXPECT_EQ(paints_of(tile), 0u);
  EXPECT_EQ(display->presents(), 0u);

  display->expose(*top);
  drain();
  EXPECT_EQ(paints_of(top), 1u);
  EXPECT_EQ(paints_of(tile), 1u);
  EXPECT_EQ(count(top, MessageCode::EraseBackground), 1u);
  EXPECT_TRUE(shows(*top, [&](Point at) { return tile_bounds.contains(at) ? tile_colour : logged_background; }));
}

}  // namespace
}  // namespace platform
