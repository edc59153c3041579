// Fuzz target for a whole scan up to the catalog: the input is the data file.
// It is opened, its catalog rebuilt with deleted rows shown and free space
// carved, its module texts read and the first definition joined, the first
// objects laid out, as the object tree does, and the first page of each
// table rendered into rows.

#include <cstddef>
#include <cstdint>
#include <span>

#include "catalog/catalog_builder.h"
#include "catalog/table_layout.h"
#include "fuzz/memory_file.h"
#include "values/module_text.h"
#include "values/row_renderer.h"

namespace {

constexpr std::size_t kObjectsLaidOut = 32;

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
  return 0;
}
