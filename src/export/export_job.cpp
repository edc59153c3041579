#include "export/export_job.h"

#include <memory>

#include "export/csv_writer.h"
#include "export/schema_script.h"
#include "export/sql_script_writer.h"
#include "export/sql_text.h"
#include "export/sqlite_writer.h"
#include "session/table_reader.h"

namespace tessaril {
namespace {

Result<std::unique_ptr<TableWriter>> MakeWriter(const ScanResult& scan,
                                                const ExportRequest& request) {
  const auto up = [](auto made) -> Result<std::unique_ptr<TableWriter>> {
    if (!made) return made.failure();
    return std::unique_ptr<TableWriter>(std::move(made).value());
  };
  switch (request.format) {
    case ExportFormat::kCsv:
      return up(CsvWriter::Create(request.destination, request.blobFolder, scan));
    case ExportFormat::kSqlite:
      return up(SqliteWriter::Create(request.destination, scan, request.schemaOnly));
    default:
      return up(SqlScriptWriter::Create(request.destination, scan, request.schemaOnly));
  }
}

Result<std::vector<const CatalogObject*>> TablesToExport(const Catalog& catalog,
                                                         const std::vector<std::string>& names) {
  std::vector<const CatalogObject*> tables;
  if (names.empty()) {
    for (const CatalogObject& o : catalog.objects) {
      if (o.type == "U " && !o.systemOwned) tables.push_back(&o);
    }
    return tables;
  }
  for (const std::string& name : names) {
    Result<const CatalogObject*> found = FindObjectByName(catalog, name, NameScope::kTables);
    if (!found) return found.failure();
    tables.push_back(*found);
  }
  return tables;
}

bool HasIdentity(const TableLayout& layout) {
  for (const ColumnDef& c : layout.columns) {
    if (!c.identityText.empty() && c.physicalOrdinal != kNoStorage) return true;
  }
  return false;
}

// Counts the values of a row that do not read as their type, keeping
// where the first of them are.
void NoteUnreadable(const ExportedTable& target, const RenderedRow& row, ExportSummary& summary) {
  for (std::size_t i : target.columns) {
    const ColumnDef& column = target.layout->columns[i];
    if (!IsInsertable(column) || ReadsAsItsType(CellOf(row, i), column)) continue;
    ++summary.unreadableValues;
    if (summary.unreadablePlaces.size() < kUnreadablePlacesKept) {
      summary.unreadablePlaces.push_back(target.quotedName + " " + ToString(row.id.page) +
                                         " slot " + std::to_string(row.id.slot) + ", column " +
                                         column.name);
    }
  }
}

// One pass over a table's pages, writing the rows of one kind.
Status WritePass(TableReader& table, TableWriter& writer, const ExportedTable& target,
                 ScanEvents& events, std::uint64_t& written, ExportSummary& summary) {
  if (Status begun = writer.BeginTable(target); !begun) return begun;
  Status status;
  std::vector<const RenderedRow*> rows;
  // The pager's own reports (a caption and a log line a row, progress over
  // its pages) are for the record grid; the export reports per page.
  ScanEvents pagerEvents;
  table.ForEachPage(pagerEvents, [&](const GridPage& page) {
    rows.clear();
    for (const RenderedRow& row : page.rows) {
      if (row.deleted() != target.deletedRows) continue;
      rows.push_back(&row);
      NoteUnreadable(target, row, summary);
    }
    status = writer.WriteRows(target, rows);
    written += rows.size();
    events.CaptionText(target.quotedName + ": " + std::to_string(written) + " rows written");
    return status.ok();
  });
  if (!status) return status;
  return writer.EndTable(target);
}

}  // namespace

Result<ExportSummary> RunExport(const ScanSnapshot& scan, const ExportRequest& request,
                                ScanEvents& events, const StopFlag& stop) {
  if (!scan) return Error{"no scan has read a data file"};
  Result<std::vector<const CatalogObject*>> tables = TablesToExport(scan->catalog, request.tables);
  if (!tables) return tables.failure();
  Result<std::unique_ptr<TableWriter>> writer = MakeWriter(*scan, request);
  if (!writer) return writer.failure();
  ExportSummary summary;
  const bool withDeleted = scan->settings.showDeletedRecords || scan->settings.carveDeletedRecords;
  events.ProgressRange(0, tables->size());
  for (std::size_t t = 0; t < tables->size(); ++t) {
    const CatalogObject& object = *(*tables)[t];
    const std::string quoted = QuotedObjectName(scan->catalog, object);
    events.StatusText("Exporting " + quoted);
    Result<std::unique_ptr<TableReader>> reader = TableReader::Open(scan, object.id, &stop);
    if (!reader) {
      summary.skipped.push_back(quoted + ": " + reader.error());
      continue;
    }
    (*reader)->SetReadAheadThreads(request.readAheadThreads);
    const TableLayout& layout = (*reader)->layout();
    ExportedTable target{
        &object, &layout, quoted, object.name, ExportedColumns(layout), false, HasIdentity(layout)};
    std::uint64_t live = 0;
    if (Status s = WritePass(**reader, **writer, target, events, live, summary); !s)
      return s.failure();
    for (const std::string& line : DamageSummary((*reader)->pager().damage())) {
      summary.damage.push_back(quoted + ": " + line);
      events.LogLine(quoted + ": damage: " + line);
    }
    std::uint64_t deleted = 0;
    if (withDeleted && !stop.requested()) {
      ExportedTable deletedTarget = target;
      deletedTarget.deletedRows = true;
      deletedTarget.plainName = object.name + "$deleted";
      deletedTarget.quotedName = QuoteName(scan->catalog.SchemaName(object.schemaId).empty()
                                               ? "dbo"
                                               : scan->catalog.SchemaName(object.schemaId)) +
                                 "." + QuoteName(deletedTarget.plainName);
      if (Status s = WritePass(**reader, **writer, deletedTarget, events, deleted, summary); !s) {
        return s.failure();
      }
    }
    if (stop.requested()) return Error{kExportStoppedText};
    ++summary.tables;
    summary.rows += live;
    summary.deletedRows += deleted;
    events.LogLine(quoted + ": " + std::to_string(live) + " rows" +
                   (withDeleted ? ", " + std::to_string(deleted) + " deleted rows" : ""));
    events.ProgressPos(t + 1);
  }
  ModuleTexts texts;
  const std::vector<SchemaStatement> constraints =
      ConstraintStatements(*scan, *tables, texts, stop);
  const std::vector<SchemaStatement> modules = ModuleStatements(*scan, texts, stop);
  if (stop.requested()) return Error{kExportStoppedText};
  if (Status finished = (*writer)->Finish(constraints, modules); !finished) {
    return finished.failure();
  }
  return summary;
}

}  // namespace tessaril
