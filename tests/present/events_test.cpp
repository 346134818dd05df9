#include "present/events.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/window_system/controls.h"
#include "present/layer.h"
#include "support/headless_viewer_window.h"

namespace present {
namespace {

using platform::Key;
using platform::MouseButton;

struct Delivered {
  std::int32_t code;
  ObjectNumber control;
  std::int32_t type;
  friend bool operator==(const Delivered&, const Delivered&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Delivered& event) {
    return out << "{" << event.code << ", control " << event.control << ", type " << event.type << "}";
  }
};

class EventsTest : public HeadlessWindowFixture {
 protected:
  void SetUp() override {
    HeadlessWindowFixture::SetUp();
    open_viewer_window();
    drain();
    display->wait_ms(1000);
  }

  // The events that come now, with their controls and types (the layer offers no call for the
  // type, so it is read from the snapshot event_control reads too); raw platform codes left out after
  // checking that none of them looks like an event the viewer acts on.
  std::vector<Delivered> events() {
    std::vector<Delivered> delivered;
    for (int guard = 0; guard < 1000; ++guard) {
      const std::int32_t code = wait_event(std::chrono::milliseconds(0));
      if (code == 0) {
        break;
      }
      if (!is_event_code(code)) {
        continue;
      }
      delivered.push_back({code, event_control(), layer()->snapshot.type});
    }
    return delivered;
  }

  std::vector<Delivered> control_events() {
    std::vector<Delivered> found;
    for (const Delivered& event : events()) {
      if (event.code == ControlEvent) {
        found.push_back(event);
      }
    }
    return found;
  }

  platform::Point picture_point(int x, int y) { return screen_point(10 + x, 10 + y); }
};

TEST(EventQueue, KeepsOrderSkipsARepeatOfTheNewestAndGrowsWithoutBound) {
  EventQueue queue(std::pmr::new_delete_resource());
  EXPECT_FALSE(queue.take());
  queue.add({16, 0, 0, 0});
  queue.add({16, 0, 0, 0});
  queue.add({3, 0, 0, 0});
  queue.add({16, 0, 0, 0});
  EXPECT_EQ(queue.size(), 3u);
  EXPECT_EQ(queue.take()->code, 16);
  EXPECT_EQ(queue.take()->code, 3);
  EXPECT_EQ(queue.take()->code, 16);
  // Taken out, it no longer counts as waiting: the same event is added again.
  queue.add({16, 0, 0, 0});
  EXPECT_EQ(queue.size(), 1u);
  EXPECT_EQ(queue.take()->code, 16);
  while (queue.take()) {
  }
  for (int i = 0; i < 1000; ++i) {
    queue.add({ControlEvent, i, 0, i % 3});
  }
  for (int i = 0; i < 1000; ++i) {
    const auto event = queue.take();
    ASSERT_TRUE(event);
    EXPECT_EQ(event->control, i);
    EXPECT_EQ(event->type, i % 3);
  }
  EXPECT_TRUE(queue.empty());
}

TEST_F(EventsTest, EachButtonClickGivesExactlyOneControlEventOfThatButton) {
  display->click(MouseButton::Left, centre_of(1));
  EXPECT_EQ(control_events(), (std::vector<Delivered>{{ControlEvent, 1, 0}}));
  display->wait_ms(1000);
  display->click(MouseButton::Left, centre_of(2));
  EXPECT_EQ(control_events(), (std::vector<Delivered>{{ControlEvent, 2, 0}}));

  // A double click is two clicks; the layer merges none.
  display->wait_ms(1000);
  display->click(MouseButton::Left, centre_of(2));
  display->click(MouseButton::Left, centre_of(2));
  EXPECT_EQ(control_events(), (std::vector<Delivered>{{ControlEvent, 2, 0}, {ControlEvent, 2, 0}}));

  // Released away from the button: no click.
  display->wait_ms(1000);
  display->press(MouseButton::Left, centre_of(1));
  display->move_pointer(screen_point(500, 340));
  display->release(MouseButton::Left, screen_point(500, 340));
  EXPECT_TRUE(control_events().empty());
}

TEST_F(EventsTest, ThePictureReportsClicksDoubleClicksRightClicksAndDrags) {
  display->click(MouseButton::Left, picture_point(100, 100));
  EXPECT_EQ(control_events(), (std::vector<Delivered>{{ControlEvent, 0, 0}}));

  display->wait_ms(1000);
  display->click(MouseButton::Left, picture_point(200, 100));
  display->click(MouseButton::Left, picture_point(201, 101));
  EXPECT_EQ(control_events(), (std::vector<Delivered>{{ControlEvent, 0, 0}, {ControlEvent, 0, 2}}));

  display->wait_ms(1000);
  display->click(MouseButton::Right, picture_point(300, 100));
  EXPECT_EQ(control_events(), (std::vector<Delivered>{{ControlEvent, 0, 1}}));

  // The release that ends a right double click is swallowed.
  display->wait_ms(1000);
  display->click(MouseButton::Right, picture_point(300, 100));
  display->click(MouseButton::Right, picture_point(300, 100));
  EXPECT_EQ(control_events(), (std::vector<Delivered>{{ControlEvent, 0, 1}, {ControlEvent, 0, 3}}));
  display->wait_ms(1000);
  display->click(MouseButton::Right, picture_point(300, 100));
  EXPECT_EQ(control_events(), (std::vector<Delivered>{{ControlEvent, 0, 1}}));

  // A drag starts once the pointer moves past the drag distance with the left button held.
  display->wait_ms(1000);
  display->press(MouseButton::Left, picture_point(400, 100));
  display->move_pointer(picture_point(403, 103));
  EXPECT_EQ(control_events(), (std::vector<Delivered>{{ControlEvent, 0, 0}}));
  display->move_pointer(picture_point(405, 100));
  display->move_pointer(picture_point(420, 100));
  display->release(MouseButton::Left, picture_point(420, 100));
  EXPECT_EQ(control_events(), (std::vector<Delivered>{{ControlEvent, 0, drag_start_type}}));
  EXPECT_EQ(platform::capture(), nullptr);
}

TEST_F(EventsTest, AMoveOfExactlyTheDragDistanceStartsNoDrag) {
  const platform::Size distance = platform::system_metrics().drag_distance;
  ASSERT_GT(distance.width, 0);
  ASSERT_GT(distance.height, 0);
  const int x = 400;
  const int y = 100;
  display->press(MouseButton::Left, picture_point(x, y));
  EXPECT_EQ(control_events(), (std::vector<Delivered>{{ControlEvent, 0, 0}}));
  for (const auto& [dx, dy] : {std::pair{distance.width, 0}, {0, distance.height}, {-distance.width, 0},
                               {0, -distance.height}, {distance.width, distance.height},
                               {-distance.width, -distance.height}}) {
    display->move_pointer(picture_point(x + dx, y + dy));
    EXPECT_TRUE(control_events().empty()) << dx << "," << dy;
  }
  display->move_pointer(picture_point(x, y + distance.height + 1));
  EXPECT_EQ(control_events(), (std::vector<Delivered>{{ControlEvent, 0, drag_start_type}}));
  display->release(MouseButton::Left, picture_point(x, y + distance.height + 1));
  events();

  display->wait_ms(1000);
  display->press(MouseButton::Left, picture_point(x, y));
  display->move_pointer(picture_point(x - distance.width - 1, y));
  EXPECT_EQ(control_events(), (std::vector<Delivered>{{ControlEvent, 0, 0}, {ControlEvent, 0, drag_start_type}}));
  display->release(MouseButton::Left, picture_point(x - distance.width - 1, y));
}

TEST_F(EventsTest, CloseAndMoveCarryTheNumberOfTheirWindow) {
  platform::WindowNode& first = window();
  ASSERT_NE(open_window(5, 0, 0, 300, 200, "Five", viewer::window_flags), 0);
  platform::WindowNode& five = window();
  const std::intptr_t assigned = open_window(assign_number, 0, 0, 300, 200, "Assigned", viewer::window_flags);
  ASSERT_NE(assigned, 0);
  platform::WindowNode& other = window();
  ASSERT_NE(&five, &first);
  ASSERT_NE(&other, &five);
  events();

  const struct {
    platform::WindowNode& window;
    ObjectNumber number;
  } windows[] = {{five, 5}, {other, assigned}, {first, 0}};
  for (const auto& [native, number] : windows) {
    display->request_close(native);
    EXPECT_EQ(events(), (std::vector<Delivered>{{CloseEvent, number, 0}})) << number;
    EXPECT_EQ(layer()->snapshot.window, number);
    display->move_window(native, {30, 40});
    EXPECT_EQ(events(), (std::vector<Delivered>{{MoveEvent, number, 0}})) << number;
    EXPECT_EQ(layer()->snapshot.window, number);
  }
}

TEST_F(EventsTest, TheCloseBoxIsReportedOnceAndTheWindowStays) {
  display->request_close(window());
  EXPECT_EQ(events(), (std::vector<Delivered>{{CloseEvent, 0, 0}}));
  // A second request while the first is still waiting adds nothing.
  platform::send(&window(), platform::MessageCode::Close);
  platform::send(&window(), platform::MessageCode::Close);
  EXPECT_EQ(events(), (std::vector<Delivered>{{CloseEvent, 0, 0}}));
  EXPECT_TRUE(platform::is_window(&window()));
  EXPECT_TRUE(window().visible());
  // Another request after the first was delivered is reported again.
  display->request_close(window());
  EXPECT_EQ(events(), (std::vector<Delivered>{{CloseEvent, 0, 0}}));
}

TEST_F(EventsTest, TabAndShiftTabCycleTheButtonsAndSpaceClicksTheFocusedOne) {
  EXPECT_EQ(platform::focus(), nullptr);
  std::vector<platform::WindowNode*> order;
  for (int i = 0; i < 3; ++i) {
    display->type(Key::Tab);
    events();
    order.push_back(platform::focus());
  }
  EXPECT_EQ(order, (std::vector<platform::WindowNode*>{&control(1), &control(2), &control(1)}));
  order.clear();
  for (int i = 0; i < 3; ++i) {
    display->type(Key::Tab, platform::Shift);
    events();
    order.push_back(platform::focus());
  }
  EXPECT_EQ(order, (std::vector<platform::WindowNode*>{&control(2), &control(1), &control(2)}));

  display->type(Key::Space);
  EXPECT_EQ(control_events(), (std::vector<Delivered>{{ControlEvent, 2, 0}}));
  display->type(Key::Tab);
  display->key(Key::Space, true);
  events();
  EXPECT_TRUE(platform::button_pressed(control(1)));
  display->key(Key::Space, false);
  EXPECT_EQ(control_events(), (std::vector<Delivered>{{ControlEvent, 1, 0}}));
  EXPECT_FALSE(platform::button_pressed(control(1)));

  // Shift+Tab with nothing focused goes to the last button.
  platform::set_focus(nullptr);
  display->type(Key::Tab, platform::Shift);
  events();
  EXPECT_EQ(platform::focus(), &control(2));

  // A disabled button is no tab stop.
  platform::set_enabled(control(2), false);
  EXPECT_EQ(platform::focus(), nullptr);
  for (int i = 0; i < 2; ++i) {
    display->type(Key::Tab);
    events();
    EXPECT_EQ(platform::focus(), &control(1));
  }
}

TEST_F(EventsTest, MinimizeRestoreMoveAndActivationAreReportedInOrder) {
  display->minimize(window());
  const std::vector<Delivered> minimized = events();
  ASSERT_FALSE(minimized.empty());
  EXPECT_EQ(minimized.front(), (Delivered{MinimizeEvent, 0, 0}));

  display->restore(window());
  const std::vector<Delivered> restored = events();
  ASSERT_GE(restored.size(), 2u);
  EXPECT_EQ(restored[0], (Delivered{RestoreEvent, 0, 0}));
  EXPECT_EQ(restored[1], (Delivered{SizeEvent, 0, 0}));
  EXPECT_NE(std::find(restored.begin(), restored.end(), Delivered{ActivateEvent, 0, 0}), restored.end());
  EXPECT_NE(std::find(restored.begin(), restored.end(), Delivered{RepaintEvent, 0, 0}), restored.end());

  display->move_window(window(), {10, 20});
  EXPECT_EQ(events(), (std::vector<Delivered>{{MoveEvent, 0, 0}}));
}

TEST_F(EventsTest, ActivationGivesTheFocusBackToTheControlThatHadIt) {
  display->type(Key::Tab);
  display->type(Key::Tab);
  events();
  ASSERT_EQ(platform::focus(), &control(2));
  display->activate(nullptr);
  events();
  EXPECT_EQ(platform::focus(), nullptr);
  display->activate(&window());
  EXPECT_EQ(events(), (std::vector<Delivered>{{ActivateEvent, 0, 0}}));
  EXPECT_EQ(platform::focus(), &control(2));
}

TEST_F(EventsTest, AChangeOfTheColourSchemeReachesEveryControl) {
  std::vector<ObjectNumber> told;
  for (const ObjectNumber number : {0, 1, 2}) {
    const platform::Handler own = platform::set_handler(control(number), nullptr);
    platform::set_handler(control(number), [&told, own, number](const platform::Message& message) {
      if (message.code == platform::MessageCode::ColourSchemeChanged) {
        told.push_back(number);
      }
      return own(message);
    });
  }
  display->change_colour_scheme();
  events();
  EXPECT_EQ(told, (std::vector<ObjectNumber>{0, 1, 2}));
}

TEST_F(EventsTest, TheControlOfTheLastEventSurvivesRawCodesAndStartsAtZero) {
  EXPECT_EQ(event_control(), 0);
  display->click(MouseButton::Left, centre_of(2));
  std::int32_t code = 0;
  do {
    code = wait_event(std::chrono::milliseconds(0));
  } while (code != ControlEvent && code != 0);
  ASSERT_EQ(code, ControlEvent);
  EXPECT_EQ(event_control(), 2);
  display->move_pointer(screen_point(500, 340));
  int raw_codes = 0;
  for (code = wait_event(std::chrono::milliseconds(0)); code != 0; code = wait_event(std::chrono::milliseconds(0))) {
    EXPECT_FALSE(is_event_code(code)) << code;
    EXPECT_EQ(event_control(), 2);
    ++raw_codes;
  }
  EXPECT_GE(raw_codes, 2);  // the release, the move, and painting
  EXPECT_EQ(wait_event(std::chrono::milliseconds(5)), 0);
}

TEST(WaitEvent, BeforeTheLayerStartsThereIsNothingToWaitFor) {
  EXPECT_EQ(wait_event(std::chrono::milliseconds(0)), 0);
  EXPECT_EQ(event_control(), 0);
}

}  // namespace
}  // namespace present
