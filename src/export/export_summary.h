// The lines that tell a user what an export wrote.
#pragma once

#include <string>
#include <vector>

#include "export/export_job.h"

namespace tessaril {

// "exported 3 table(s), 120 row(s) to out.sql" (with the deleted rows when
// the scan shows them), then the values that could not be read and where
// the first of them are, then the tables skipped, then the damage met.
std::vector<std::string> ExportSummaryLines(const ExportSummary& summary,
                                            const ExportRequest& request, bool showsDeleted);

}  // namespace tessaril
