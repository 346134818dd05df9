#pragma once

#include "export/formats/png_file.h"
#include "wavedata/sample_bank.h"

namespace exporter {

// Page `page` (0 to 30) of the bank, drawn by the viewer's own page drawing with its labels,
// 1024 x 300 pixels as the window shows it on an ordinary 96-dpi desktop.
RgbPicture page_picture(const wavedata::SampleBank& bank, int page);

}  // namespace exporter
