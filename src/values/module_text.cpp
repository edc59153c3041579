#include "values/module_text.h"

#include <algorithm>
#include <cstdlib>

#include "base/unicode.h"
#include "values/module_renderer.h"

namespace tessaril {
namespace {

// Cells of a module text row, by layout.
constexpr std::size_t kValclassCell = 0;
constexpr std::size_t kObjidCell = 1;
constexpr std::size_t kSubobjidCell = 2;
constexpr std::size_t kValnumCell = 3;
constexpr std::size_t kValueCell = 4;
constexpr std::size_t kIdCell2000 = 0;
constexpr std::size_t kNumberCell2000 = 1;
constexpr std::size_t kColidCell2000 = 2;
constexpr std::size_t kStatusCell2000 = 3;
constexpr std::size_t kCtextCell2000 = 4;
// sysobjvalues rows of this class hold definitions; the other classes hold
// statistics, properties and the like under the same object ids.
constexpr long long kDefinitionClass = 1;
// Set in syscomments.status, or in the value of a sysobjvalues definition
// row: the text is stored one byte a character.
constexpr long long kCompressedText = 0x2;

void Log(const ModuleTextSource& source, const char* text) {
  if (source.events != nullptr) source.events->LogLine(text);
}

// The data pages of the module text table, in inventory order. Its IAM and
// index pages hold no rows: their records would read as invented entries.
std::vector<PageId> ModuleTablePages(const ModuleTextSource& source) {
  const std::int32_t table = source.catalog.sql2000Layout ? kSysComments2000 : kSysObjValues;
  std::vector<PageId> pages;
  const auto found = source.db.inventory().systemPages.find(table);
  if (found == source.db.inventory().systemPages.end()) return pages;
  for (const PageEntry& e : found->second) {
    if (e.type() == kDataPageType) pages.push_back(e.id());
  }
  return pages;
}

long long Number(const std::string& text) { return std::strtoll(text.c_str(), nullptr, 10); }

}  // namespace

std::optional<ModuleTextEntry> ModuleTextEntryOf(const RenderedRow& row, bool sql2000Layout) {
  const std::vector<Cell>& cells = row.cells;
  if (cells.empty()) return std::nullopt;
  const auto cell = [&](std::size_t i) { return i < cells.size() ? cells[i].text : std::string(); };
  ModuleTextEntry entry;
  if (sql2000Layout) {
    entry.objectId = cell(kIdCell2000);
    entry.number = cell(kNumberCell2000);
    entry.piece = cell(kColidCell2000);
    entry.valueText = cell(kCtextCell2000);
    entry.singleByteText = (Number(cell(kStatusCell2000)) & kCompressedText) != 0;
  } else {
    if (Number(cell(kValclassCell)) != kDefinitionClass) return std::nullopt;
    entry.objectId = cell(kObjidCell);
    entry.number = cell(kSubobjidCell);
    entry.piece = cell(kValnumCell);
    entry.valueText = cells.back().text;
    entry.singleByteText = (Number(cell(kValueCell)) & kCompressedText) != 0;
  }
  return entry;
}

std::vector<ModuleTextEntry> CollectModuleTexts(const ModuleTextSource& source) {
  Log(source, kRetrievingModulesText);
  const bool sql2000 = source.catalog.sql2000Layout;
  const std::vector<PageId> pages = ModuleTablePages(source);
  if (source.events != nullptr) source.events->ProgressRange(0, pages.size());

  TableLayout layout;
  layout.columns = ModuleTableColumns(sql2000);
  RecordOptions options;
  options.sql2000Layout = sql2000;
  options.stop = &source.stop;
  RowContext context(layout, source.db, TextDecoding(nullptr, {}), options, sql2000);
  // Placement by rowset column rows is known from SQL Server 2008 on.
  const bool placed = !sql2000 && !source.catalog.rowsetColumns.empty();

  std::vector<ModuleTextEntry> entries;
  for (std::size_t i = 0; i < pages.size() && !source.stop.requested(); ++i) {
    std::optional<HeaderedPage> page = source.db.ReadPage(pages[i]);
    if (!page) continue;
    const PrimaryRecordPage records(std::move(*page), &source.db, options);
    const std::vector<RenderedRow> rows =
        placed ? RenderModulePage(records, context) : RenderModulePageLegacy(records, context);
    for (const RenderedRow& row : rows) {
      if (std::optional<ModuleTextEntry> entry = ModuleTextEntryOf(row, sql2000)) {
        entries.push_back(std::move(*entry));
      }
    }
    if (source.events != nullptr) source.events->ProgressPos(i);
  }
  if (source.events != nullptr) source.events->ProgressPos(pages.size());
  Log(source, kRetrievingModulesDoneText);
  return entries;
}

ModuleTexts RetrieveModuleTexts(const ModuleTextSource& source) {
  ModuleTexts texts;
  texts.scanList = CollectModuleTexts(source);
  return texts;
}

std::string BuildModuleText(ModuleTexts& texts, const ModuleTextSource& source,
                            std::string_view objectIdText) {
  if (!texts.collected) {
    texts.collected = true;
    texts.viewerList = CollectModuleTexts(source);
    if (texts.viewerList.empty()) texts.collected = false;
  }
  return JoinModuleText(texts.viewerList, objectIdText);
}

}  // namespace tessaril
