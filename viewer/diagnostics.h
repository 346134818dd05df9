#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/graphics/glyphs.h"
#include "platform/window_system/seam.h"

namespace viewer {

// Opens whichever of the standard input, output and error the program was started without on
// /dev/null, before anything else takes their numbers: a diagnostic written to a closed standard
// error would otherwise go into whatever file or connection was opened next.
void open_standard_streams();

// Text that came from outside the program (an environment variable, a font's name), made fit for
// one line of a message: well-formed UTF-8 kept as it is, control characters (C1 ones included) and
// bytes that are not UTF-8 written as \xNN (a backslash as \\), and cut after `most` characters,
// with "..." where it was cut.
std::string printable(std::string_view text, std::size_t most = 200);

// Tells the user, on standard error, why the display failed under the program.
void report_display_failure(const platform::DisplayFailure& failure);

// Tells the user, on standard error, that a font fell back.
void report_font_fallback(const platform::FontFallback& fallback);

}  // namespace viewer
