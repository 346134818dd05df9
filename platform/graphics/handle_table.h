#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>

namespace platform {

// Objects handed out to callers as plain integers, the way a desktop system hands out handles.
// Every lookup is checked, so a stale or made-up handle finds nothing instead of memory it must
// not touch. Handles are never reused within a run.
template <typename Object>
class HandleTable {
 public:
  using Handle = std::intptr_t;

  Handle add(std::unique_ptr<Object> object) {
    const Handle handle = next_++;
    objects_.emplace(handle, std::move(object));
    return handle;
  }

  Object* find(Handle handle) const {
    const auto found = objects_.find(handle);
    return found == objects_.end() ? nullptr : found->second.get();
  }

  bool remove(Handle handle) { return objects_.erase(handle) != 0; }

  std::size_t size() const { return objects_.size(); }

 private:
  // Starting well away from 0 and small numbers keeps handles apart from object numbers in tests
  // and in a debugger.
  Handle next_ = 0x10000;
  std::unordered_map<Handle, std::unique_ptr<Object>> objects_;
};

}  // namespace platform
