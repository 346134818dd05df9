#pragma once

#include <memory_resource>

namespace present {

// Prepares the layer; its records are kept in `heap`, which must outlive end_presentation.
// Starting again while started first ends the running layer.
void start_presentation(std::pmr::memory_resource* heap = std::pmr::new_delete_resource());

// Ends any drawing session and releases everything the layer holds, images last.
void end_presentation();

}  // namespace present
