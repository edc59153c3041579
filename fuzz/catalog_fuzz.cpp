// Fuzz target for a whole scan up to the catalog: the input is the data file.
// It is opened, its catalog rebuilt with deleted rows shown and free space
// carved, its module texts read and the first definition joined, the first
// objects laid out, as the object tree does, and the first page of each
// table rendered into rows. Then the lost units are matched to a small
// schema script's tables and the first page of each matched one rendered.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "catalog/catalog_builder.h"
#include "catalog/sql_script.h"
#include "catalog/table_layout.h"
#include "fuzz/memory_file.h"
#include "values/module_text.h"
#include "values/row_renderer.h"
#include "values/schema_match.h"
#include "values/script_layout.h"

namespace {

constexpr std::size_t kObjectsLaidOut = 32;

// Tables of the shapes the seed files hold: one fixed and two variable
// columns, text and dates, a bit.
constexpr const char* kSchemaScript = R"(
CREATE TABLE a (id int NOT NULL PRIMARY KEY, name nvarchar(40), note varchar(max))
CREATE TABLE b (code char(4), at datetime, flag bit, amount decimal(9,2), txt text)
CREATE TABLE c (id int, day date, what varchar(20), who nvarchar(30))
)";

std::vector<tessaril::SchemaTable> Schema(bool sql2000) {
  std::vector<tessaril::SchemaTable> tables;
  for (const tessaril::ScriptTable& t : tessaril::ParseSqlScript(kSchemaScript).tables) {
    tables.push_back({tessaril::LayOutScriptTable(t, sql2000), {}});
  }
  return tables;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tessaril;
  const fuzz::MemoryFile file(std::span<const std::uint8_t>(data, size));
  if (!file.ok()) return 0;
  NullProgress progress;
  StopFlag stop;
  auto opened = DatabaseFile::Open(file.path(), false, progress, stop);
  if (!opened) return 0;
  RecordOptions options;
  options.showDeletedRecords = true;
  options.showAdvancedDeletedRecords = true;
  const Catalog catalog = BuildCatalog(*opened.value(), options, progress);
  const ModuleTextSource modules{*opened.value(), catalog, stop, nullptr};
  ModuleTexts texts = RetrieveModuleTexts(modules);
  if (!texts.scanList.empty()) {
    (void)BuildModuleText(texts, modules, texts.scanList.front().objectId);
  }
  for (std::size_t i = 0; i < catalog.objects.size() && i < kObjectsLaidOut; ++i) {
    const CatalogObject& object = catalog.objects[i];
    const TableLayout layout =
        BuildTableLayout(catalog, *opened.value(), object.name, object.type, {}, options);
    for (const ColumnDef& column : layout.columns) (void)ColumnItemText(column);
    if (!layout.layoutReady || layout.pages.empty()) continue;
    RowContext context(layout, *opened.value(), TextDecoding(nullptr, {}), options,
                       catalog.sql2000Layout);
    (void)ReadPageRows(layout.pages.front(), context);
  }
  Catalog matched = catalog;
  (void)MatchLostUnits(matched, *opened.value(), Schema(catalog.sql2000Layout), options);
  for (const auto& [objectId, unit] : matched.lostUnits) {
    const CatalogObject* object = matched.FindObject(objectId);
    if (object == nullptr || !unit.schema) continue;
    const TableLayout layout = BuildTableLayout(matched, *opened.value(), *object, {}, options);
    if (layout.pages.empty()) continue;
    RowContext context(layout, *opened.value(), TextDecoding(nullptr, {}), options,
                       matched.sql2000Layout);
    (void)ReadPageRows(layout.pages.front(), context);
  }
  return 0;
}
