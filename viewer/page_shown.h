#pragma once

namespace viewer {

// Tells what surrounds the window which page it now shows: a web page says it in a line that
// screen readers follow. On the desktop the window is all there is, and nothing is told.
void page_shown(int page);

}  // namespace viewer
