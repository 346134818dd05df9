#pragma once

#include <cstdint>

namespace present {

// Windows, controls, images and fonts are addressed by numbers the caller chooses. A record made
// outside a table is addressed by its own address, so numbers are pointer-wide.
using ObjectNumber = std::intptr_t;

// Asks for a record outside the table; the record's address comes back as its number.
inline constexpr ObjectNumber assign_number = -1;

// An address handed to the caller as an integer: the number of a record outside a table, and the
// native window or control that a creation returns. Such an integer is only ever compared with
// the addresses the layer holds, never turned back into a pointer.
inline ObjectNumber number_at(const void* address) { return reinterpret_cast<ObjectNumber>(address); }

}  // namespace present
