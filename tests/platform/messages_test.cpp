#include <gtest/gtest.h>

#include <string>

#include "window_system_fixture.h"

namespace platform {
namespace {

using MessagesTest = WindowSystemTest;

TEST_F(MessagesTest, PostedMessagesAndInputComeOutOldestFirstSentOnesAtOnceAndPaintingLast) {
  const auto [top, first, second] = shown_with_two_children();
  const std::size_t start = log.size();

  post(first, MessageCode::Command, ControlNotice{1});
  post(second, MessageCode::Command, ControlNotice{2});
  display->move_pointer(on_screen(*second, {5, 6}));
  post(first, MessageCode::Command, ControlNotice{3});
  invalidate(*second);
  send(second, MessageCode::Command, ControlNotice{4});
  EXPECT_EQ(handled_since(start), (std::vector<Handled>{{second, MessageCode::Command, 4}}));

  std::vector<Handled> taken;
  Message message;
  while (get_message(message, std::chrono::milliseconds(0))) {
    taken.push_back(handled(message));
    dispatch(message);
  }
  EXPECT_EQ(taken, (std::vector<Handled>{{first, MessageCode::Command, 1},
                                         {second, MessageCode::Command, 2},
                                         {second, MessageCode::MouseMove, 5, 6},
                                         {first, MessageCode::Command, 3},
                                         {second, MessageCode::Paint}}));
  EXPECT_FALSE(get_message(message, std::chrono::milliseconds(0)));
}

TEST_F(MessagesTest, SendAnswersWithTheHandlersResultAndAGoneWindowGetsNothing) {
  WindowNode* top = make_top();
  WindowNode* child = make_child(*top, {10, 10, 60, 40}, 1);
  set_handler(*child, [](const Message& message) {
    const RawParameters raw = raw_parameters(message.payload);
    return raw.first * 10 + raw.second;
  });
  EXPECT_EQ(send(child, MessageCode::Command, ControlNotice{4, 2}), 42);

  post(child, MessageCode::Command, ControlNotice{1});
  post(top, MessageCode::Command, ControlNotice{2});
  destroy_window(child);
  EXPECT_EQ(send(child, MessageCode::Command, ControlNotice{4, 2}), 0);
  post(child, MessageCode::Command, ControlNotice{3});
  std::vector<Handled> taken;
  Message message;
  while (get_message(message, std::chrono::milliseconds(0))) {
    if (message.code == MessageCode::Command) {
      taken.push_back({message.window, message.code, raw_parameters(message.payload).first});
    }
    dispatch(message);
  }
  EXPECT_EQ(taken, (std::vector<Handled>{{top, MessageCode::Command, 2}}));
}

TEST_F(MessagesTest, InputGoesWhereFocusAndCaptureAreWhenItIsTakenOut) {
  const auto [top, first, second] = shown_with_two_children();
  set_focus(first);
  const std::size_t start = log.size();

  display->key(Key::Tab, true);
  display->move_pointer(on_screen(*first, {1, 2}));
  set_focus(second);
  set_capture(second);
  drain();
  EXPECT_EQ(handled_since(start), (std::vector<Handled>{{first, MessageCode::KillFocus},
                                                        {second, MessageCode::SetFocus},
                                                        {second, MessageCode::KeyDown, 1, NoModifier},
                                                        {second, MessageCode::MouseMove, -89, 2}}));
}

TEST_F(MessagesTest, APressSoonAfterAndNearTheLastOnTheSameWindowIsADoubleClick) {
  register_class({"Single", Pixel{}, false, [this](const Message& message) {
                    log.push_back(handled(message));
                    return default_handling(message);
                  }});
  WindowNode* top = make_top();
  WindowNode* asks = make_child(*top, {10, 10, 60, 40}, 1);
  WindowNode* single = create_child("Single", *top, "", 0, {100, 10, 150, 40}, 2, false);
  show_window(*top);
  drain();
  const SystemMetrics& metrics = system_metrics();
  const auto codes_of = [&](WindowNode* window, const auto& act) {
    const std::size_t start = log.size();
    act();
    drain();
    std::vector<MessageCode> codes;
    for (const Handled& handled : handled_since(start)) {
      if (handled.window == window && handled.code != MessageCode::MouseMove) {
        codes.push_back(handled.code);
      }
    }
    display->wait_ms(metrics.double_click_time + 1);
    return codes;
  };
  const Point at = on_screen(*asks, {5, 5});
  const Point far = {at.x + metrics.double_click_distance.width + 1, at.y};

  EXPECT_EQ(codes_of(asks, [&] { display->click(MouseButton::Left, at); display->click(MouseButton::Left, at);
                                 display->click(MouseButton::Left, at); }),
            (std::vector<MessageCode>{MessageCode::LeftDown, MessageCode::LeftUp, MessageCode::LeftDoubleClick,
                                      MessageCode::LeftUp, MessageCode::LeftDown, MessageCode::LeftUp}));
  EXPECT_EQ(codes_of(asks, [&] { display->click(MouseButton::Right, at); display->click(MouseButton::Right, at); }),
            (std::vector<MessageCode>{MessageCode::RightDown, MessageCode::RightUp, MessageCode::RightDoubleClick,
                                      MessageCode::RightUp}));
  EXPECT_EQ(codes_of(asks, [&] { display->click(MouseButton::Left, at); display->click(MouseButton::Right, at); }),
            (std::vector<MessageCode>{MessageCode::LeftDown, MessageCode::LeftUp, MessageCode::RightDown,
                                      MessageCode::RightUp}));
  EXPECT_EQ(codes_of(asks, [&] { display->click(MouseButton::Left, at); display->click(MouseButton::Left, far); }),
            (std::vector<MessageCode>{MessageCode::LeftDown, MessageCode::LeftUp, MessageCode::LeftDown,
                                      MessageCode::LeftUp}));
  EXPECT_EQ(codes_of(asks, [&] {
              display->click(MouseButton::Left, at);
              display->wait_ms(metrics.double_click_time + 1);
              display->click(MouseButton::Left, at);
            }),
            (std::vector<MessageCode>{MessageCode::LeftDown, MessageCode::LeftUp, MessageCode::LeftDown,
                                      MessageCode::LeftUp}));
  const Point on_single = on_screen(*single, {5, 5});
  EXPECT_EQ(codes_of(single, [&] { display->click(MouseButton::Left, on_single);
                                   display->click(MouseButton::Left, on_single); }),
            (std::vector<MessageCode>{MessageCode::LeftDown, MessageCode::LeftUp, MessageCode::LeftDown,
                                      MessageCode::LeftUp}));
}

// The double-click time is the longest time that may pass between the two presses, and the
// distance the farthest the second may lie from the first on either axis: both count in full.
TEST_F(MessagesTest, ADoubleClickReachesExactlyToTheDoubleClickTimeAndDistance) {
  WindowNode* top = make_top();
  WindowNode* asks = make_child(*top, {10, 10, 60, 40}, 1);
  show_window(*top);
  drain();
  const SystemMetrics& metrics = system_metrics();
  const int width = metrics.double_click_distance.width;
  const int height = metrics.double_click_distance.height;
  const std::uint32_t time = metrics.double_click_time;
  struct Case {
    std::uint32_t after;  // milliseconds from the first press to the second
    Point offset;         // of the second press from the first
    MessageCode second;
  };
  const Case cases[] = {
      {time, {0, 0}, MessageCode::LeftDoubleClick},     {time + 1, {0, 0}, MessageCode::LeftDown},
      {2, {width, 0}, MessageCode::LeftDoubleClick},    {2, {width + 1, 0}, MessageCode::LeftDown},
      {2, {0, -height}, MessageCode::LeftDoubleClick},  {2, {0, -height - 1}, MessageCode::LeftDown},
  };
  const Point at = on_screen(*asks, {20, 15});
  for (const Case& test : cases) {
    display->wait_ms(time + 1);
    // The headless clock moves on by one for each press and release.
    display->click(MouseButton::Left, at);
    display->wait_ms(test.after - 2);
    const std::size_t start = log.size();
    display->press(MouseButton::Left, {at.x + test.offset.x, at.y + test.offset.y});
    drain();
    const std::vector<Handled> handled = handled_since(start);
    ASSERT_FALSE(handled.empty());
    EXPECT_EQ(handled.back().window, asks);
    EXPECT_EQ(handled.back().code, test.second) << test.after << " ms, " << test.offset.x << ", " << test.offset.y;
    display->release(MouseButton::Left, at);
    drain();
  }
}

TEST_F(MessagesTest, AHandlerThatReplacesItselfFinishesTheMessageAndTheNextGoesToItsSuccessor) {
  WindowNode* top = make_top();
  WindowNode* child = make_child(*top, {10, 10, 60, 40}, 1);
  std::vector<std::string> calls;
  // The state a running handler keeps in its closure must outlive its own replacement.
  const std::string name = "original, still running after replacing itself";
  set_handler(*child, [&calls, child, name](const Message& message) -> std::intptr_t {
    set_handler(*child, [&calls](const Message&) -> std::intptr_t {
      calls.push_back("successor");
      return 2;
    });
    calls.push_back(name);
    return message.as<ControlNotice>().notification;
  });
  EXPECT_EQ(send(child, MessageCode::Command, ControlNotice{1}), 1);
  EXPECT_EQ(send(child, MessageCode::Command, ControlNotice{1}), 2);
  EXPECT_EQ(calls, (std::vector<std::string>{name, "successor"}));
  destroy_window(top);  // the handlers refer to this test's locals
}

TEST_F(MessagesTest, ASubclassingHandlerSeesEachMessageFirstAndPassesItOnToThePreviousOne) {
  WindowNode* top = make_top();
  WindowNode* child = make_child(*top, {10, 10, 60, 40}, 1);
  std::vector<MessageCode> seen_first;
  Handler previous;
  previous = set_handler(*child, [&](const Message& message) -> std::intptr_t {
    seen_first.push_back(message.code);
    if (message.code == MessageCode::KeyDown) {
      return 7;  // kept from the previous handler
    }
    return previous(message);
  });
  const std::size_t start = log.size();
  EXPECT_EQ(send(child, MessageCode::KeyDown), 7);
  send(child, MessageCode::Command, ControlNotice{3});
  EXPECT_EQ(seen_first, (std::vector<MessageCode>{MessageCode::KeyDown, MessageCode::Command}));
  EXPECT_EQ(handled_since(start), (std::vector<Handled>{{child, MessageCode::Command, 3}}));

  // Putting the previous handler back ends the chain.
  set_handler(*child, previous);
  send(child, MessageCode::Command, ControlNotice{4});
  EXPECT_EQ(seen_first.size(), 2u);
  EXPECT_EQ(handled_since(start).back(), (Handled{child, MessageCode::Command, 4}));
  destroy_window(top);  // the handler refers to this test's locals
}

}  // namespace
}  // namespace platform
