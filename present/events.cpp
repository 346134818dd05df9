#include "present/events.h"

#include "platform/window_system/window_system.h"
#include "present/layer.h"

namespace present {

void EventQueue::add(const QueuedEvent& event) {
  if (count_ != 0 && ring_[(head_ + count_ - 1) % ring_.size()] == event) {
    return;
  }
  if (count_ == ring_.size()) {
    // Full: unroll the ring into a larger one.
    std::pmr::vector<QueuedEvent> grown(std::max<std::size_t>(16, 2 * ring_.size()), ring_.get_allocator());
    for (std::size_t index = 0; index < count_; ++index) {
      grown[index] = ring_[(head_ + index) % ring_.size()];
    }
    ring_.swap(grown);
    head_ = 0;
  }
  ring_[(head_ + count_) % ring_.size()] = event;
  ++count_;
}

std::optional<QueuedEvent> EventQueue::take() {
  if (count_ == 0) {
    return std::nullopt;
  }
  const QueuedEvent event = ring_[head_];
  head_ = (head_ + 1) % ring_.size();
  --count_;
  return event;
}

namespace {

// Tab and Shift+Tab on one of the layer's windows become its focus commands.
bool handled_as_shortcut(Layer& layer, const platform::Message& message) {
  platform::WindowNode* active = platform::active_window();
  const auto number = active != nullptr ? window_number_of(*active) : std::nullopt;
  WindowRecord* record = number ? layer.windows.find(*number) : nullptr;
  return record != nullptr && record->handle == active && record->shortcuts.translate(*active, message);
}

}  // namespace

std::int32_t wait_event(std::optional<std::chrono::milliseconds> limit) {
  Layer* running = layer();
  if (running == nullptr) {
    return 0;
  }
  Layer& layer = *running;
  CurrentEvent& current = layer.current;
  current.type = -1;
  current.pending = 0;
  std::int32_t result = 0;
  if (const auto queued = layer.events.take()) {
    current.control = queued->control;
    current.window = queued->window;
    current.type = queued->type;
    current.first = 0;
    current.second = 0;
    result = queued->code;
  } else {
    platform::Message message;
    if (!platform::get_message(message, limit)) {
      return 0;
    }
    if (!handled_as_shortcut(layer, message)) {
      platform::dispatch(message);
    }
    // The layer may have ended inside the dispatch.
    if (running != present::layer()) {
      return 0;
    }
    if (current.pending != 0) {
      result = current.pending;
      current.pending = 0;
    } else {
      result = static_cast<std::int32_t>(message.code);
      const platform::RawParameters raw = platform::raw_parameters(message.payload);
      current.first = static_cast<std::int32_t>(raw.first);
      current.second = static_cast<std::int32_t>(raw.second);
    }
  }
  layer.snapshot = current;
  return result;
}

ObjectNumber event_control() {
  const Layer* running = layer();
  return running != nullptr ? running->snapshot.control : 0;
}

}  // namespace present
