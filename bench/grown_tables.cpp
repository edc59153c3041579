#include "bench/grown_tables.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "base/progress.h"
#include "base/stop_flag.h"
#include "catalog/catalog_builder.h"
#include "records/record_page.h"
#include "storage/boot_page.h"
#include "storage/page_header.h"

namespace tessaril::bench {
namespace {

constexpr const char* kUserTableType = "U ";
constexpr std::uint16_t kPrimaryFileId = 1;

// An opened file and the tables read from it; the tables refer to the file.
struct OpenedTables {
  std::unique_ptr<DatabaseFile> db;
  std::vector<std::unique_ptr<KeptTable>> tables;
};

Result<OpenedTables> OpenTables(const std::string& path, const std::vector<std::string>& names,
                                const CollationTable& collations) {
  NullProgress progress;
  StopFlag stop;
  Result<std::unique_ptr<DatabaseFile>> db = DatabaseFile::Open(path, false, progress, stop);
  if (!db) return db.failure();
  OpenedTables opened;
  opened.db = std::move(db).value();
  const RecordOptions options;
  const Catalog catalog = BuildCatalog(*opened.db, options, progress);
  CollationResult databaseCollation;
  if (const auto boot = ReadBootPage(*opened.db)) {
    ApplyDatabaseCollation(collations, boot->collationId, {}, databaseCollation);
  }
  for (const std::string& name : names) {
    TableLayout layout = BuildTableLayout(catalog, *opened.db, name, kUserTableType, {}, options);
    if (layout.object.id == -1 || !layout.layoutReady) {
      return Error{"no table named " + name + " in " + path};
    }
    auto table = std::make_unique<KeptTable>(name, std::move(layout), *opened.db, collations,
                                             databaseCollation, catalog.sql2000Layout);
    table->ReadPages();
    if (table->rowCount() == 0) return Error{"the table " + name + " of " + path + " has no rows"};
    opened.tables.push_back(std::move(table));
  }
  return opened;
}

// The table's data pages in chain order: from the page whose previous link
// leads out of the table, along the next links; pages the links do not reach
// follow in the order they were kept.
std::vector<std::uint32_t> ChainOrder(const KeptTable& table) {
  std::map<PageId, const KeptPage*> byId;
  for (const KeptPage& page : table.pages()) byId.emplace(page.id, &page);
  std::vector<std::uint32_t> order;
  std::set<PageId> placed;
  const auto follow = [&](const KeptPage* page) {
    while (page != nullptr && placed.insert(page->id).second) {
      order.push_back(static_cast<std::uint32_t>(page->id.pageNumber));
      const auto next = byId.find(page->page.header.nextPage);
      page = next == byId.end() ? nullptr : next->second;
    }
  };
  for (const KeptPage& page : table.pages()) {
    if (byId.count(page.page.header.prevPage) == 0) follow(&page);
  }
  for (const KeptPage& page : table.pages()) follow(&page);
  return order;
}

// The chains to grow so that each table holds at least minRows rows: its
// data pages in chain order, copied once more for each copy still needed.
Result<std::vector<testing::ChainToGrow>> ChainsToGrow(const OpenedTables& source,
                                                       std::uint64_t minRows) {
  // Pages are copied by their position in the file, which is their page
  // number only when the pages start at the file's first byte.
  if (source.db->dataOffset() != 0) {
    return Error{"the pages of " + source.db->path() + " do not start at its first byte"};
  }
  std::vector<testing::ChainToGrow> chains;
  for (const auto& table : source.tables) {
    for (const KeptPage& page : table->pages()) {
      if (page.id.fileId != kPrimaryFileId || page.id.pageNumber < 0) {
        return Error{"the table " + table->name() + " has pages outside the primary file"};
      }
    }
    const std::uint64_t copies = (minRows + table->rowCount() - 1) / table->rowCount();
    chains.push_back({ChainOrder(*table), copies - 1});
  }
  return chains;
}

}  // namespace

KeptTable::KeptTable(std::string name, TableLayout layout, const DatabaseFile& db,
                     const CollationTable& collations, CollationResult databaseCollation,
                     bool sql2000Layout)
    : name_(std::move(name)),
      layout_(std::move(layout)),
      context_(layout_, db, TextDecoding(&collations, std::move(databaseCollation)),
               RecordOptions(), sql2000Layout) {}

std::size_t KeptTable::storedColumnCount() const {
  return static_cast<std::size_t>(
      std::count_if(layout_.columns.begin(), layout_.columns.end(),
                    [](const ColumnDef& c) { return c.physicalOrdinal != kNoStorage; }));
}

bool KeptTable::fixedWidthOnly() const {
  return std::none_of(layout_.columns.begin(), layout_.columns.end(), [](const ColumnDef& c) {
    return c.physicalOrdinal != kNoStorage && c.isVariableLength;
  });
}

void KeptTable::ReadPages() {
  pages_.clear();
  rowCount_ = 0;
  for (const PageId& id : layout_.pages) {
    std::optional<HeaderedPage> page = context_.db.ReadPage(id);
    if (!page || page->header.pageType != kDataPageType) continue;
    const PrimaryRecordPage records(*page, &context_.db, context_.options);
    const std::size_t rows = RenderRows(records, context_).size();
    rowCount_ += rows;
    pages_.push_back({id, std::move(*page), rows});
  }
}

Result<std::unique_ptr<GrownTables>> GrownTables::Build(const std::string& sourcePath,
                                                        const std::vector<std::string>& tableNames,
                                                        std::uint64_t minRows,
                                                        const std::string& collationFile) {
  std::unique_ptr<GrownTables> grown(new GrownTables());
  grown->collations_ = CollationTable::Load(collationFile);
  {
    Result<OpenedTables> source = OpenTables(sourcePath, tableNames, grown->collations_);
    if (!source) return source.failure();
    Result<std::vector<testing::ChainToGrow>> chains = ChainsToGrow(*source, minRows);
    if (!chains) return chains.failure();
    const testing::GrownFile layout(source->db->pageCount(), std::move(chains).value());
    Result<std::unique_ptr<RepeatedFile>> file = RepeatedFile::BuildGrown(sourcePath, layout);
    if (!file) return file.failure();
    grown->file_ = std::move(file).value();
  }
  Result<OpenedTables> copy = OpenTables(grown->file_->path(), tableNames, grown->collations_);
  if (!copy) return copy.failure();
  grown->db_ = std::move(copy->db);
  grown->tables_ = std::move(copy->tables);
  for (const auto& table : grown->tables_) {
    if (table->rowCount() < minRows) {
      return Error{"the table " + table->name() + " holds only " +
                   std::to_string(table->rowCount()) + " rows in the grown copy"};
    }
  }
  return grown;
}

KeptTable* GrownTables::Find(std::string_view name) {
  for (const auto& table : tables_) {
    if (table->name() == name) return table.get();
  }
  return nullptr;
}

}  // namespace tessaril::bench
