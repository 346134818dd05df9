#pragma once

#include <cstdint>

namespace present {

// Windows, controls, images and fonts are addressed by numbers the caller chooses. A record made
// outside a table is addressed by its own address, so numbers are pointer-wide.
using ObjectNumber = std::intptr_t;

// Asks for a record outside the table; the record's address comes back as its number.
inline constexpr ObjectNumber assign_number = -1;

}  // namespace present
