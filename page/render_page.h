#pragma once

#include "present/object_number.h"
#include "wavedata/sample_bank.h"

namespace page {

// Draws one page, eight waves of the bank side by side with their dividers and labels, into the
// canvas (image 0) and hands the canvas to the picture (control 0), which shows it at once.
// `page` is 0 to 30 (any other draws nothing); `label_font` the number of the labels' font.
void render_page(const wavedata::SampleBank& bank, int page, present::ObjectNumber label_font);

}  // namespace page
