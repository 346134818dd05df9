#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/graphics/glyphs.h"

namespace viewer {

// Text that came from outside the program (an environment variable, a font's name), made fit for
// one line of a message: control characters and bytes beyond ASCII written as \xNN (a backslash as
// \\), and cut after `most` characters, with "..." where it was cut.
std::string printable(std::string_view text, std::size_t most = 200);

// Tells the user, on standard error, that a font fell back.
void report_font_fallback(const platform::FontFallback& fallback);

}  // namespace viewer
