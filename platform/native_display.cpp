#include "platform/native_display.h"

#include <iterator>

#if defined(_WIN32)
#include "platform/win32/backend.h"
#elif defined(__EMSCRIPTEN__)
#include "platform/web/backend.h"
#else
#include "platform/wayland/backend.h"
#include "platform/x11/backend.h"
#endif

namespace platform {
namespace {

// A Win32 desktop does not go away under a running program, nor does the page; their failures
// need no report.
constexpr Backend built_in[] = {
#if defined(_WIN32)
    {"win32", "the Windows desktop",
     [](const ProgramIdentity& identity, std::string& error, DisplayFailureReport) {
       return open_win32_display(identity, error);
     }},
#elif defined(__EMSCRIPTEN__)
    {"web", "a web page with a canvas",
     [](const ProgramIdentity& identity, std::string& error, DisplayFailureReport) {
       return open_web_display(identity, error);
     }},
#else
    // A Wayland session mostly offers X11 too, through XWayland, which scales the window up blurred.
    {"wayland", "a Wayland compositor", open_wayland_display},
    {"x11", "an X display", open_x11_display},
#endif
};

// "a, b or c" of the backends' descriptions or names.
template <typename Part>
std::string listed(Part part) {
  std::string text;
  const std::span<const Backend> all = backends();
  for (std::size_t index = 0; index < all.size(); ++index) {
    if (index > 0) text += index + 1 == all.size() ? " or " : ", ";
    text += part(all[index]);
  }
  return text;
}

}  // namespace

std::span<const Backend> backends() { return built_in; }

OpenedDisplay open_native_display(const ProgramIdentity& identity, DisplayFailureReport report,
                                  const char* forced) {
  OpenedDisplay opened;
  const bool chosen = forced != nullptr && *forced != '\0';
  for (const Backend& backend : backends()) {
    if (chosen && backend.name != forced) continue;
    std::string error;
    opened.display = backend.open(identity, error, report);
    if (opened.display) {
      opened.described = backend.described;
      opened.error.clear();
      return opened;
    }
    if (!opened.error.empty()) opened.error += "; ";
    opened.error += error;
    if (chosen) {
      opened.described = backend.described;
      return opened;
    }
  }
  if (chosen) {
    opened.described = "a display";
    opened.error = "TABLESCOPE_BACKEND names \"" + std::string(forced) + "\", and this build has " +
                   listed([](const Backend& backend) { return std::string(backend.name); });
  } else {
    opened.described = listed([](const Backend& backend) { return std::string(backend.described); });
  }
  return opened;
}

}  // namespace platform
