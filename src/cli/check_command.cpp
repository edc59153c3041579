// check: the damage report of a data file, as text or JSON.
#include <iostream>
#include <string>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/opened_table.h"
#include "cli/row_output.h"
#include "cli/terminal_events.h"
#include "damage/damage_report.h"
#include "damage/tables_at_risk.h"

namespace tessaril::cli {

const char* const kCheckUsage =
    "usage: tessaril-cli check FILE [--format text|json]\n"
    "  Reads every page of a data file and of the secondary files found for it,\n"
    "  and reports damage: pages failing their checksum or torn-page check,\n"
    "  impossible headers, slot arrays that disagree with their page, broken\n"
    "  page chains and IAM links, large-value links (of rows and of text pages)\n"
    "  that lead to no text page, pages missing from a file cut short; then per\n"
    "  table the damaged pages and the rows on them. Bytes that are no page of\n"
    "  the file (old disk contents in unallocated space) and faults of\n"
    "  unallocated pages are information.\n"
    "  Exit status: 0 no damage, 3 damage found, 1 the file could not be used,\n"
    "  2 usage.\n";

namespace {

std::string TableName(const Catalog& catalog, std::uint64_t unitId) {
  const CatalogObject* owner = OwnerOfUnit(catalog, unitId);
  return owner != nullptr ? owner->name : std::string();
}

std::string PageList(const std::vector<PageId>& pages) {
  std::string text;
  for (const PageId& page : pages) text += (text.empty() ? "" : ", ") + ToString(page);
  return text;
}

void PrintText(std::ostream& out, const std::string& path, const DamageReport& report,
               const Catalog& catalog) {
  out << "file: " << path << '\n'
      << "pages read: " << report.pagesRead << '\n'
      << "zero pages: " << report.zeroPages << '\n'
      << "checksum pages: " << report.checksumPages << '\n'
      << "torn-bit pages: " << report.tornBitPages << '\n';
  if (report.missingPages > 0) {
    out << "missing pages: " << report.missingPages
        << " (the file is shorter than its header says)\n";
  }
  out << "damage: " << report.damage.size() << '\n';
  for (const PageFinding& f : report.damage) {
    const std::string table = TableName(catalog, f.unitId);
    out << "  " << ToString(f.page) << '\t' << DamageKindName(f.kind) << '\t'
        << PageTypeName(f.pageType) << '\t' << (table.empty() ? "-" : table) << '\t' << f.detail
        << '\n';
  }
  out << "tables at risk: " << report.tables.size() << '\n';
  for (const TableAtRisk& t : report.tables) {
    out << "  " << t.name << ": " << t.pages.size() << " page(s), " << t.rowsAtRisk
        << " row(s): " << PageList(t.pages) << '\n';
  }
  out << "information: " << report.information.size() << '\n';
  for (const PageNote& note : report.information) {
    out << "  " << ToString(note.page) << '\t' << note.detail << '\n';
  }
  out << (report.stopped         ? "check stopped before the end\n"
          : report.damageFound() ? "damage found\n"
                                 : "no damage found\n");
}

std::string JsonPages(const std::vector<PageId>& pages) {
  std::string text = "[";
  for (std::size_t i = 0; i < pages.size(); ++i) {
    text += (i ? "," : "") + JsonString(ToString(pages[i]));
  }
  return text + "]";
}

void PrintJson(std::ostream& out, const std::string& path, const DamageReport& report,
               const Catalog& catalog) {
  out << "{\"file\":" << JsonString(path) << ",\"pagesRead\":" << report.pagesRead
      << ",\"zeroPages\":" << report.zeroPages << ",\"checksumPages\":" << report.checksumPages
      << ",\"tornBitPages\":" << report.tornBitPages << ",\"missingPages\":" << report.missingPages
      << ",\"damageFound\":" << (report.damageFound() ? "true" : "false")
      << ",\"stopped\":" << (report.stopped ? "true" : "false") << ",\"damage\":[";
  for (std::size_t i = 0; i < report.damage.size(); ++i) {
    const PageFinding& f = report.damage[i];
    const std::string table = TableName(catalog, f.unitId);
    out << (i ? "," : "") << "{\"page\":" << JsonString(ToString(f.page))
        << ",\"kind\":" << JsonString(DamageKindName(f.kind)) << ",\"pageType\":" << int{f.pageType}
        << ",\"unit\":" << f.unitId << ",\"table\":" << (table.empty() ? "null" : JsonString(table))
        << ",\"detail\":" << JsonString(f.detail) << '}';
  }
  out << "],\"tables\":[";
  for (std::size_t i = 0; i < report.tables.size(); ++i) {
    const TableAtRisk& t = report.tables[i];
    out << (i ? "," : "") << "{\"name\":" << JsonString(t.name) << ",\"objectId\":" << t.objectId
        << ",\"pages\":" << JsonPages(t.pages) << ",\"rowsAtRisk\":" << t.rowsAtRisk << '}';
  }
  out << "],\"information\":[";
  for (std::size_t i = 0; i < report.information.size(); ++i) {
    out << (i ? "," : "") << "{\"page\":" << JsonString(ToString(report.information[i].page))
        << ",\"detail\":" << JsonString(report.information[i].detail) << '}';
  }
  out << "]}\n";
}

}  // namespace

int CheckCommand(const std::vector<std::string>& words) {
  CommandLine line = ParseCommandLine(words, kCheckUsage, 1, {}, {"--format"});
  if (!line.args) return line.status;
  const std::string format = line.args->Value("--format").value_or("text");
  if (format != "text" && format != "json") {
    PrintError("--format takes text or json, not " + format);
    return kExitUsage;
  }
  const std::string& path = line.args->positional[0];
  const ScanSnapshot scan = OpenDatabaseOf(*line.args);
  if (!scan) return kExitFailed;
  TerminalEvents progress(false);
  StopFlag stop;
  const DamageReport report = CheckForDamage(*scan->db, scan->catalog, progress, stop);
  if (format == "json") {
    PrintJson(std::cout, path, report, scan->catalog);
  } else {
    PrintText(std::cout, path, report, scan->catalog);
  }
  return report.damageFound() ? kExitDamageFound : kExitOk;
}

}  // namespace tessaril::cli
