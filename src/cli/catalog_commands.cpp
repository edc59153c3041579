// tables, columns and pages --table: what the rebuilt catalog says.
#include <iostream>
#include <set>

#include "catalog/table_layout.h"
#include "cli/arguments.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/opened_table.h"
#include "cli/terminal_events.h"

namespace tessaril::cli {

const char* const kTablesUsage =
    "usage: tessaril-cli tables FILE [--all] [--schema-from OTHER]\n"
    "  One line per catalog object, tab-separated: type code, object id, schema\n"
    "  id, parent object id, name.\n"
    "  --all   also the objects SQL Server itself owns\n"
    "  --schema-from OTHER  lost tables laid out from another copy or a .sql script\n";

namespace {

// Parses FILE TABLE, prints usage errors, opens the database and lays out the table.
struct TableCommand {
  int status = kExitOk;
  Arguments args;
  ScanSnapshot scan;
  std::unique_ptr<TableReader> table;
};

TableCommand OpenTable(const std::vector<std::string>& words, const char* usage,
                       const std::set<std::string>& flags) {
  TableCommand out;
  CommandLine line = ParseCommandLine(words, usage, 2, flags, {kSchemaFromOption});
  if (!line.args) {
    out.status = line.status;
    return out;
  }
  out.args = std::move(*line.args);
  out.scan = OpenDatabaseOf(out.args);
  if (out.scan) out.table = OpenTableOf(out.scan, out.args.positional[1]);
  if (!out.table) out.status = kExitFailed;
  return out;
}

}  // namespace

const char* const kColumnsUsage =
    "usage: tessaril-cli columns FILE TABLE [--verbose] [--schema-from OTHER]\n"
    "  The columns of a table in record order, as the object tree lists them, and\n"
    "  the type each was declared with (tab-separated).\n"
    "  --verbose   also: nullability, column id, physical ordinal, leaf offset, null bit, in "
    "rowset,\n"
    "              type code, collation id, identity, computed text (tab-separated)\n"
    "  --schema-from OTHER  lost tables laid out from another copy or a .sql script\n";

int ColumnsCommand(const std::vector<std::string>& words) {
  TableCommand table = OpenTable(words, kColumnsUsage, {"--verbose"});
  if (!table.table) return table.status;
  const bool verbose = table.args.Has("--verbose");
  for (const ColumnDef& c : table.table->layout().columns) {
    if (c.name.empty()) continue;
    std::cout << ColumnItemText(c) << '\t' << c.declaredType;
    if (verbose) {
      std::cout << '\t' << (c.isNullable ? "NULL" : "NOT NULL") << '\t' << c.columnId << '\t'
                << c.physicalOrdinal << '\t' << c.leafOffset << '\t' << c.nullBit << '\t'
                << (c.isInRowset ? 1 : 0) << '\t' << c.typeCode << '\t' << c.collationId << '\t'
                << c.identityText << '\t' << c.valueText;
    }
    std::cout << '\n';
  }
  return kExitOk;
}

int TablePagesCommand(const std::vector<std::string>& words) {
  TableCommand table = OpenTable(words, kPagesUsage, {});
  if (!table.table) return table.status;
  const TableLayout& layout = table.table->layout();
  std::cout << "rowset: " << layout.rowset.rowsetId << " (index " << layout.rowset.indexId
            << ", partitions " << layout.dataRowsets.size() << ")\n"
            << "allocation unit: " << layout.allocationUnit.unitId << " (first page "
            << ToString(layout.allocationUnit.firstPage) << ", first IAM page "
            << ToString(layout.allocationUnit.firstIamPage) << ")\n"
            << "derived: " << (layout.rowsetFromIndexTable ? "yes" : "no") << '\n'
            << "pages: " << layout.pages.size() << '\n';
  for (const PageId& page : layout.pages) std::cout << ToString(page) << '\n';
  return kExitOk;
}

int TablesCommand(const std::vector<std::string>& words) {
  const CommandLine line = ParseCommandLine(words, kTablesUsage, 1, {"--all"}, {kSchemaFromOption});
  if (!line.args) return line.status;
  const Arguments* args = &*line.args;
  const ScanSnapshot scan = OpenDatabaseOf(*args);
  if (!scan) return kExitFailed;
  for (const CatalogObject& o : scan->catalog.objects) {
    if (o.systemOwned && !args->Has("--all")) continue;
    std::cout << o.type << '\t' << o.id << '\t' << o.schemaId << '\t' << o.parentId << '\t'
              << o.name << '\n';
  }
  return kExitOk;
}

}  // namespace tessaril::cli
