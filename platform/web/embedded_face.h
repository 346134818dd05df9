#pragma once

#include <span>

namespace platform {

// The font file of the one face the web build's tests carry (Liberation Sans), compiled in from
// fonts-liberation at configure time.
extern const std::span<const unsigned char> embedded_face;

}  // namespace platform
