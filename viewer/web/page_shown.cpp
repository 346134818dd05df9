// The page's live line under the window, which screen readers read out as it changes: what the
// canvas shows, in words; and the panel under it, which follows the page.

#include "viewer/page_shown.h"

#include <emscripten.h>

#include <cstdio>

#include "viewer/viewer.h"
#include "wavedata/sample_bank.h"

namespace viewer {
namespace {

// The viewer's tests run under Node, without a page.
EM_JS(void, describe_page, (const char* text), {
  const line = typeof document === 'object' ? document.getElementById('showing') : null;
  if (line) {
    line.textContent = UTF8ToString(text);
  }
});

// The panel under the window follows the page: its play and download buttons are the shown waves'.
EM_JS(void, show_in_panel, (int page), {
  if (typeof window === 'object' && window.tablescopePanel) {
    window.tablescopePanel.show(page);
  }
});

}  // namespace

void page_shown(int page) {
  constexpr int waves = static_cast<int>(wavedata::waves_per_page);
  char text[64];
  std::snprintf(text, sizeof text, "Waves %03d to %03d, page %d of %d", page * waves, page * waves + waves - 1,
                page + 1, last_page + 1);
  describe_page(text);
  show_in_panel(page);
}

}  // namespace viewer
