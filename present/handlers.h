#pragma once

#include <cstdint>

#include "platform/window_system/messages.h"
#include "present/object_number.h"

namespace present {

// The handler of every layer window: turns what happens to the window and its controls into
// events.
std::intptr_t window_handler(ObjectNumber window_number, const platform::Message& message);

// Put in front of a picture control's own handling: its mouse rules.
std::intptr_t picture_handler(ObjectNumber control_number, const platform::Message& message);

}  // namespace present
