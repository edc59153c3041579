#include "session/schema_source.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "base/events.h"
#include "catalog/catalog_builder.h"
#include "catalog/sql_script.h"
#include "values/script_layout.h"

namespace tessaril {
namespace {

bool NamesAScript(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".sql";
}

Error SourceError(const std::string& path, std::string detail) {
  return Error("Cannot read the schema of " + path + ".", std::move(detail));
}

Result<std::vector<SchemaTable>> TablesOfScript(const std::string& path, bool sql2000,
                                                const std::string& notADataFile) {
  const Result<SqlScript> script = LoadSqlScript(path);
  if (!script) return SourceError(path, script.failure().detail);
  std::vector<SchemaTable> tables;
  for (const ScriptTable& t : script->tables) tables.push_back({LayOutScriptTable(t, sql2000), {}});
  if (tables.empty()) {
    return SourceError(path, notADataFile.empty()
                                 ? "the script creates no table"
                                 : notADataFile + ", nor a script that creates a table");
  }
  return tables;
}

// The copy's user tables, without their pages; the ids of their in-row
// data units, or in SQL Server 2000 the unit its pages name.
std::vector<SchemaTable> TablesOfCopy(const DatabaseFile& db, const Catalog& catalog,
                                      const RecordOptions& options) {
  std::vector<SchemaTable> tables;
  for (const CatalogObject& o : catalog.objects) {
    if (options.stopRequested()) break;
    if (o.type != "U " || o.systemOwned || o.lostAndFound) continue;
    SchemaTable t{BuildTableLayout(catalog, db, o, {}, options), {}};
    for (const AllocationUnitRow& u : t.layout.allocationUnits) {
      if (u.type == kInRowDataUnit) t.unitIds.push_back(u.unitId);
    }
    if (catalog.sql2000Layout)
      t.unitIds.push_back(AllocationUnitId(static_cast<std::uint32_t>(o.id), 0));
    t.layout.pages.clear();
    t.layout.pages.shrink_to_fit();
    tables.push_back(std::move(t));
  }
  return tables;
}

}  // namespace

Result<std::vector<SchemaTable>> LoadSchemaSource(const std::string& path, bool sql2000,
                                                  StopFlag& stop) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    return SourceError(path, ec ? ec.message() : "no such file");
  }
  if (NamesAScript(path)) return TablesOfScript(path, sql2000, {});
  ScanEvents quiet;
  Result<std::unique_ptr<DatabaseFile>> db = DatabaseFile::Open(path, false, quiet, stop);
  if (!db)
    return TablesOfScript(path, sql2000,
                          db.failure().detail.empty() ? db.failure().message : db.failure().detail);
  RecordOptions options;
  options.stop = &stop;
  const Catalog catalog = BuildCatalog(**db, options, quiet);
  return TablesOfCopy(**db, catalog, options);
}

}  // namespace tessaril
