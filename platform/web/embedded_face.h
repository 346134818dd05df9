#pragma once

#include <span>

namespace platform {

// The font file of the one face the web build carries (Liberation Sans), compiled in from
// fonts-liberation at configure time.
extern const std::span<const unsigned char> embedded_face;

}  // namespace platform
