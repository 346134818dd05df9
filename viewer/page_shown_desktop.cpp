#include "viewer/page_shown.h"

namespace viewer {

void page_shown(int) {}

}  // namespace viewer
