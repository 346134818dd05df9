#include <gtest/gtest.h>

#include "platform/window_system/system_state.h"
#include "window_system_fixture.h"

namespace platform {
namespace {

using FocusTest = WindowSystemTest;

TEST_F(FocusTest, TabStopsComeInCreationOrderSkipTheRestAndWrap) {
  WindowNode* top = make_top();
  WindowNode* first = make_child(*top, {10, 10, 50, 30}, 1);
  WindowNode* picture = make_child(*top, {60, 10, 100, 30}, 2, false);
  WindowNode* second = make_child(*top, {110, 10, 150, 30}, 3);
  WindowNode* third = make_child(*top, {160, 10, 200, 30}, 4);
  ASSERT_NE(picture, nullptr);

  // Nothing focused: the first forwards, the last backwards.
  EXPECT_EQ(next_tab_stop(*top, true), first);
  EXPECT_EQ(next_tab_stop(*top, false), third);

  set_focus(first);
  EXPECT_EQ(next_tab_stop(*top, true), second);
  EXPECT_EQ(next_tab_stop(*top, false), third);
  set_focus(third);
  EXPECT_EQ(next_tab_stop(*top, true), first);
  EXPECT_EQ(next_tab_stop(*top, false), second);

  // A disabled stop is passed over, and so is an invisible one.
  set_enabled(*second, false);
  set_focus(first);
  EXPECT_EQ(next_tab_stop(*top, true), third);
  EXPECT_EQ(next_tab_stop(*top, false), third);
  set_enabled(*second, true);
  platform::state_of(*third).visible = false;  // no operation hides a child: the window system's own hold
  EXPECT_EQ(next_tab_stop(*top, true), second);
  EXPECT_EQ(next_tab_stop(*top, false), second);

  // Focus on a window that is no stop counts as none.
  set_focus(picture);
  EXPECT_EQ(next_tab_stop(*top, true), first);
  EXPECT_EQ(next_tab_stop(*top, false), second);

  WindowNode* empty = make_top({600, 100});
  EXPECT_EQ(next_tab_stop(*empty, true), nullptr);
  EXPECT_EQ(next_tab_stop(*empty, false), nullptr);
}

TEST_F(FocusTest, TabAndShiftTabThroughAShortcutTableWalkTheStopsRoundAndRound) {
  WindowNode* top = make_top();
  WindowNode* previous = make_child(*top, {10, 10, 50, 30}, 1);
  make_child(*top, {60, 10, 100, 30}, 2, false);
  WindowNode* next = make_child(*top, {110, 10, 150, 30}, 3);
  constexpr std::int32_t forward = 1;
  constexpr std::int32_t backward = 2;
  const ShortcutTable shortcuts({{Key::Tab, NoModifier, forward}, {Key::Tab, Shift, backward}});
  set_handler(*top, [](const Message& message) -> std::intptr_t {
    if (message.code == MessageCode::ShortcutCommand) {
      set_focus(next_tab_stop(*message.window, message.as<ShortcutCommand>().command == forward));
      return 0;
    }
    return default_handling(message);
  });
  show_window(*top);
  const auto pump = [&] {
    Message message;
    while (get_message(message, std::chrono::milliseconds(0))) {
      if (!shortcuts.translate(*active_window(), message)) {
        dispatch(message);
      }
    }
  };
  pump();
  ASSERT_EQ(focus(), top);  // showing activates, and activation focuses the window itself

  std::vector<const WindowNode*> walked;
  for (int press = 0; press < 3; ++press) {
    display->type(Key::Tab);
    pump();
    walked.push_back(focus());
  }
  for (int press = 0; press < 3; ++press) {
    display->type(Key::Tab, Shift);
    pump();
    walked.push_back(focus());
  }
  EXPECT_EQ(walked, (std::vector<const WindowNode*>{previous, next, previous, next, previous, next}));
}

TEST_F(FocusTest, TheLoserHearsOfItBeforeTheWinnerAndAGoneOrDisabledWindowHoldsNoFocus) {
  WindowNode* top = make_top();
  WindowNode* first = make_child(*top, {10, 10, 50, 30}, 1);
  WindowNode* second = make_child(*top, {110, 10, 150, 30}, 2);
  const std::size_t start = log.size();

  set_focus(first);
  set_focus(second);
  set_focus(second);  // no change, no message
  set_focus(nullptr);
  EXPECT_EQ(handled_since(start), (std::vector<Handled>{{first, MessageCode::SetFocus},
                                                        {first, MessageCode::KillFocus},
                                                        {second, MessageCode::SetFocus},
                                                        {second, MessageCode::KillFocus}}));
  EXPECT_EQ(focus(), nullptr);

  set_focus(first);
  set_enabled(*first, false);
  EXPECT_EQ(focus(), nullptr);

  set_focus(second);
  destroy_window(second);
  EXPECT_EQ(focus(), nullptr);
  set_focus(second);  // a stale window is refused
  EXPECT_EQ(focus(), nullptr);
}

TEST_F(FocusTest, TheCaptureTakesThePointerUntilItIsReleasedOrTakenOver) {
  const auto [top, left, right] = shown_with_two_children();

  set_capture(left);
  std::size_t start = log.size();
  display->move_pointer(on_screen(*right, {10, 10}));
  drain();
  // Over the right window, but in the capturing window's coordinates: 100 - 10 + 10, 10 - 10 + 10.
  EXPECT_EQ(handled_since(start), (std::vector<Handled>{{left, MessageCode::MouseMove, 100, 10}}));

  start = log.size();
  release_capture();
  release_capture();  // nothing captured: nothing to lose
  EXPECT_EQ(capture(), nullptr);
  display->move_pointer(on_screen(*right, {10, 10}));
  drain();
  EXPECT_EQ(handled_since(start), (std::vector<Handled>{{left, MessageCode::CaptureLost},
                                                        {right, MessageCode::MouseMove, 10, 10}}));

  set_capture(left);
  start = log.size();
  set_capture(right);
  EXPECT_EQ(handled_since(start), (std::vector<Handled>{{left, MessageCode::CaptureLost}}));
  EXPECT_EQ(capture(), right);
  destroy_window(right);
  EXPECT_EQ(capture(), nullptr);
}

TEST_F(FocusTest, AnInactiveWindowHoldsNoFocusAndItsHandlerCanGiveTheRememberedOneBack) {
  WindowNode* first_top = make_top();
  WindowNode* control = make_child(*first_top, {10, 10, 50, 30}, 1);
  WindowNode* other_top = make_top({600, 100});
  // What the window's own handler remembers of the focus when it is deactivated, and gives back
  // when it is activated again.
  WindowNode* remembered = nullptr;
  const Handler logged = set_handler(*first_top, nullptr);
  set_handler(*first_top, [&](const Message& message) -> std::intptr_t {
    if (message.code == MessageCode::Activate) {
      if (!message.as<Activation>().active) {
        remembered = focus();
      } else if (remembered != nullptr) {
        set_focus(remembered);
        return 0;
      }
    }
    return logged(message);
  });

  show_window(*first_top);
  drain();
  EXPECT_EQ(active_window(), first_top);
  EXPECT_EQ(focus(), first_top);  // by default the window itself
  set_focus(control);

  show_window(*other_top);
  EXPECT_EQ(active_window(), other_top);  // at once; the windows hear of it through the queue
  const std::size_t start = log.size();
  drain();
  EXPECT_EQ(remembered, control);
  EXPECT_EQ(handled_since(start), (std::vector<Handled>{{first_top, MessageCode::Activate, 0},
                                                        {control, MessageCode::KillFocus},
                                                        {other_top, MessageCode::Activate, 1},
                                                        {other_top, MessageCode::SetFocus}}));
  EXPECT_EQ(focus(), other_top);

  // Keys go to the focused window of the active window.
  display->activate(first_top);
  drain();
  EXPECT_EQ(focus(), control);
  const std::size_t keys = log.size();
  const auto space = static_cast<std::intptr_t>(Key::Space);
  display->type(Key::Space);
  drain();
  EXPECT_EQ(handled_since(keys), (std::vector<Handled>{{control, MessageCode::KeyDown, space, NoModifier},
                                                       {control, MessageCode::KeyUp, space, NoModifier}}));
  destroy_window(first_top);  // its handler refers to this test's locals
}

}  // namespace
}  // namespace platform
