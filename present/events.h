#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <optional>

#include "platform/window_system/messages.h"
#include "present/object_number.h"

namespace present {

// Codes that wait_event returns for the window's events, under the names callers know them by.
inline constexpr std::int32_t ControlEvent = 13100;
inline constexpr std::int32_t CloseEvent = 16;
inline constexpr std::int32_t MoveEvent = 3;
inline constexpr std::int32_t SizeEvent = 5;
inline constexpr std::int32_t RepaintEvent = 15;
inline constexpr std::int32_t ActivateEvent = 13104;
inline constexpr std::int32_t MinimizeEvent = 13107;
inline constexpr std::int32_t RestoreEvent = 13109;

// Types of a ControlEvent on a picture besides a click (type 0).
inline constexpr std::int32_t right_click_type = 1;
inline constexpr std::int32_t double_click_type = 2;
inline constexpr std::int32_t right_double_click_type = 3;
inline constexpr std::int32_t drag_start_type = 14002;

// The event being delivered. Handlers fill it while a message is dispatched.
struct CurrentEvent {
  ObjectNumber control = 0;
  ObjectNumber window = 0;
  std::int32_t type = 0;
  std::int32_t pending = 0;  // an event code set during dispatch, 0 for none
  std::int32_t first = 0;    // the raw parameters of the platform message last dispatched
  std::int32_t second = 0;
};

struct QueuedEvent {
  std::int32_t code = 0;
  ObjectNumber control = 0;
  ObjectNumber window = 0;
  std::int32_t type = 0;
  friend bool operator==(const QueuedEvent&, const QueuedEvent&) = default;
};

// Events waiting to be delivered, first in first out, with no upper bound. Entries live in a
// ring that only allocates when it has to grow.
class EventQueue {
 public:
  explicit EventQueue(std::pmr::memory_resource* heap) : ring_(heap) {}

  // An event equal in all four values to the newest one still waiting is not added.
  void add(const QueuedEvent& event);
  std::optional<QueuedEvent> take();
  bool empty() const { return count_ == 0; }
  std::size_t size() const { return count_; }

 private:
  std::pmr::vector<QueuedEvent> ring_;
  std::size_t head_ = 0;
  std::size_t count_ = 0;
};

// Waits until an event is available and returns its code; any other platform activity returns
// the platform's own code, which is never one of the codes above. With a limit: 0 only looks,
// a positive limit waits at most that long; 0 is returned when nothing came.
std::int32_t wait_event(std::optional<std::chrono::milliseconds> limit = std::nullopt);

// The control of the event wait_event last returned; 0 before the first event.
ObjectNumber event_control();

}  // namespace present
