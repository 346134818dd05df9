#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "present/events.h"

namespace test_support {

// True for the codes wait_event gives for events, false for the ones it gives for anything else.
inline bool is_event_code(std::int32_t code) {
  using namespace present;
  const std::int32_t events[] = {ControlEvent, CloseEvent,    MoveEvent,     SizeEvent,
                                 RepaintEvent, ActivateEvent, MinimizeEvent, RestoreEvent};
  return std::find(std::begin(events), std::end(events), code) != std::end(events);
}

}  // namespace test_support
