#pragma once

#include <cstdio>

#include "export/command/export_request.h"
#include "wavedata/sample_bank.h"

namespace exporter {

// Writes every file the request asks for from the decoded bank, each under a temporary name
// first; tables that cannot be made, and files scaled down to full scale, are named on `notes`,
// one line each. Before anything is written, refuses (ExportFailure) when one of the files exists
// and the request does not force.
void run_export_request(const ExportRequest& request, const wavedata::SampleBank& bank, std::FILE* notes);

}  // namespace exporter
