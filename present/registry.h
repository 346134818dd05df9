#pragma once

#include <algorithm>
#include <cstddef>
#include <memory_resource>
#include <vector>

#include "present/object_number.h"

namespace present {

// A table of fixed-size records indexed by object number. A record whose `handle` is 0 is a free
// slot. Using a number at or beyond the table's size grows it to that number plus the step.
// Records made for `assign_number` live outside the table and are addressed by their address.
template <typename Record>
class Registry {
 public:
  using Release = void (*)(Record&);

  // Numbers above this are refused rather than growing the table to an absurd size; the
  // addresses of records outside the table are recognised before this limit applies.
  static constexpr ObjectNumber max_table_number = 0xFFFF;

  Registry(std::size_t step, Release release, std::pmr::memory_resource* heap)
      : step_(step), release_(release), table_(step, heap), outside_(heap) {}

  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;
  ~Registry() { release_all(); }

  // The record to make an object in under `number`, emptied first: an object held there is
  // released. For `assign_number`, a new record outside the table. nullptr for a number that
  // can name no record.
  Record* claim(ObjectNumber number) {
    if (number == assign_number) {
      std::pmr::polymorphic_allocator<Record> allocator(table_.get_allocator());
      Record* record = allocator.template new_object<Record>();
      outside_.push_back(record);
      return record;
    }
    Record* record = slot(number);
    if (record == nullptr && number >= 0 && number <= max_table_number) {
      table_.resize(static_cast<std::size_t>(number) + step_);
      record = &table_[static_cast<std::size_t>(number)];
    }
    if (record != nullptr) {
      empty(*record);
    }
    return record;
  }

  // The number by which the caller knows `record`, a record that `claim` gave for `requested`.
  ObjectNumber number_of(const Record& record, ObjectNumber requested) const {
    return requested == assign_number ? number_at(&record) : requested;
  }

  // The live record under `number`, or nullptr.
  Record* find(ObjectNumber number) {
    Record* record = slot(number);
    return record != nullptr && record->handle != 0 ? record : nullptr;
  }

  // Releases the object under `number`; a record outside the table goes with it.
  void remove(ObjectNumber number) {
    const auto outside = find_outside(number);
    if (outside != outside_.end()) {
      destroy_outside(outside);
    } else if (Record* record = slot(number)) {
      empty(*record);
    }
  }

  // Releases every object, the table's in ascending number first, then those outside it.
  void release_all() {
    for (Record& record : table_) {
      empty(record);
    }
    while (!outside_.empty()) {
      destroy_outside(outside_.end() - 1);
    }
  }

  // Calls `visit(number, record)` for every live record: the table's in ascending number, then
  // those outside it.
  template <typename Visit>
  void for_each(Visit visit) {
    for (std::size_t index = 0; index < table_.size(); ++index) {
      if (table_[index].handle != 0) {
        visit(static_cast<ObjectNumber>(index), table_[index]);
      }
    }
    for (Record* record : outside_) {
      if (record->handle != 0) {
        visit(number_at(record), *record);
      }
    }
  }

  std::size_t capacity() const { return table_.size(); }

 private:
  Record* slot(ObjectNumber number) {
    if (number >= 0 && static_cast<std::size_t>(number) < table_.size()) {
      return &table_[static_cast<std::size_t>(number)];
    }
    const auto outside = find_outside(number);
    return outside == outside_.end() ? nullptr : *outside;
  }

  typename std::pmr::vector<Record*>::iterator find_outside(ObjectNumber number) {
    return std::find_if(outside_.begin(), outside_.end(),
                        [number](const Record* record) { return number_at(record) == number; });
  }

  void empty(Record& record) {
    if (record.handle != 0) {
      release_(record);
    }
    record = Record{};
  }

  void destroy_outside(typename std::pmr::vector<Record*>::iterator position) {
    Record* record = *position;
    outside_.erase(position);
    empty(*record);
    std::pmr::polymorphic_allocator<Record> allocator(table_.get_allocator());
    allocator.delete_object(record);
  }

  std::size_t step_;
  Release release_;
  std::pmr::vector<Record> table_;
  std::pmr::vector<Record*> outside_;
};

}  // namespace present
