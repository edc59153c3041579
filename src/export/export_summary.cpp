#include "export/export_summary.h"

namespace tessaril {

std::vector<std::string> ExportSummaryLines(const ExportSummary& summary,
                                            const ExportRequest& request, bool showsDeleted) {
  std::string done = "exported " + std::to_string(summary.tables) + " table(s), " +
                     std::to_string(summary.rows) + " row(s)";
  if (showsDeleted) done += ", " + std::to_string(summary.deletedRows) + " deleted";
  std::vector<std::string> lines{done + " to " + request.destination};
  if (summary.unreadableValues > 0) {
    lines.push_back(std::to_string(summary.unreadableValues) +
                    " value(s) could not be read and were written as NULL:");
    for (const std::string& place : summary.unreadablePlaces) lines.push_back("  " + place);
    if (summary.unreadableValues > summary.unreadablePlaces.size()) lines.push_back("  ...");
  }
  for (const std::string& skipped : summary.skipped) lines.push_back("skipped " + skipped);
  for (const std::string& damage : summary.damage) lines.push_back("warning: " + damage);
  return lines;
}

}  // namespace tessaril
