#include <gtest/gtest.h>

#include <X11/Xatom.h>

#include <string>

#include "platform/x11/wait.h"
#include "platform/x11/xlib.h"

namespace x11_test {
namespace {

using namespace std::chrono_literals;

// Stands for poll: counts the calls and reports that the time ran out.
int polls = 0;
int counting_poll(pollfd*, nfds_t, int) {
  ++polls;
  return 0;
}

// Events that a reply brought into Xlib's queue are input at once: waiting for the server to send
// more would sleep out the whole limit.
TEST(WaitForX11Input, EventsAlreadyQueuedNeedNoPollAndOnlyAnEmptyQueuePolls) {
  std::string error;
  ASSERT_TRUE(platform::load_xlib(error)) << error;
  ::Display* x = XOpenDisplay(nullptr);
  ASSERT_NE(x, nullptr);
  XSetWindowAttributes attributes{};
  attributes.event_mask = PropertyChangeMask;
  const ::Window window = XCreateWindow(x, DefaultRootWindow(x), 0, 0, 10, 10, 0, CopyFromParent, InputOutput,
                                        CopyFromParent, CWEventMask, &attributes);
  // A property change, then a round trip: the event arrives with the reply and waits in the queue.
  XChangeProperty(x, window, XA_WM_NAME, XA_STRING, 8, PropModeReplace, nullptr, 0);
  XSync(x, False);
  ASSERT_GT(XEventsQueued(x, QueuedAlready), 0);

  polls = 0;
  EXPECT_EQ(platform::wait_for_input(x, 3600s, counting_poll), platform::XInput::Arrived);
  EXPECT_EQ(platform::wait_for_input(x, std::nullopt, counting_poll), platform::XInput::Arrived);
  EXPECT_EQ(polls, 0);

  XEvent event;
  while (XEventsQueued(x, QueuedAlready) > 0) {
    XNextEvent(x, &event);
  }
  EXPECT_EQ(platform::wait_for_input(x, 0ms, counting_poll), platform::XInput::Nothing);
  EXPECT_EQ(polls, 1);

  XDestroyWindow(x, window);
  XCloseDisplay(x);
}

}  // namespace
}  // namespace x11_test
