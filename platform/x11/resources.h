#pragma once

#include <optional>
#include <string_view>

namespace platform {

// The desktop's resolution from the text of its resources (the root window's RESOURCE_MANAGER):
// the value of its "Xft.dpi" line, the last one where there are several, when it is a sensible
// resolution. Only that line is read: the text may be megabytes long, and parsing all of it as a
// resource database would hold the program up for seconds.
std::optional<int> xft_dpi(std::string_view resources);

}  // namespace platform
