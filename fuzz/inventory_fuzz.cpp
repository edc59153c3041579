// Fuzz target for opening a whole data file: the input is the file. It is
// opened with the page inventory built, and a few pages the inventory names
// are read back through the page readers.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "base/progress.h"
#include "base/stop_flag.h"
#include "fuzz/memory_file.h"
#include "storage/database_file.h"

namespace {

using tessaril::DatabaseFile;
using tessaril::PageEntry;
using tessaril::PageId;
using tessaril::fuzz::MemoryFile;

// Lists of each map whose first and last entries are read back.
constexpr std::size_t kListsReadBack = 4;

// An entry's page reads back with the type and index id it was filed under.
// Position 0 is the one position the readers never give.
void ReadBack(const DatabaseFile& db, const PageEntry& entry) {
  const std::optional<tessaril::HeaderedPage> page = db.ReadPage(entry.id());
  if (entry.pageNumber == 0) {
    if (page) std::abort();
    return;
  }
  if (!page || page->bytes.size() != tessaril::kPageSize) std::abort();
  if (page->header.pageType != entry.type() || page->header.indexId != entry.indexId()) {
    std::abort();
  }
  static_cast<void>(page->header.LsnText());
  static_cast<void>(db.TextPageLocation(entry.id()));
}

template <class Map>
void ReadBackFirstLists(const DatabaseFile& db, const Map& map) {
  std::size_t lists = 0;
  for (const auto& [key, list] : map) {
    if (lists++ == kListsReadBack) break;
    if (list.empty()) std::abort();
    ReadBack(db, list.front());
    ReadBack(db, list.back());
  }
}

// Addresses outside the file give nothing; its last page is still read.
void ReadEdges(const DatabaseFile& db) {
  const auto last = static_cast<std::int32_t>(db.pageCount());
  for (const PageId outside : {PageId{1, -1}, PageId{1, last + 1}, PageId{2, 1}}) {
    if (db.ReadRawPage(outside)) std::abort();
  }
  if (last >= 1 && !db.ReadRawPage(PageId{1, last})) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const MemoryFile file(std::span<const std::uint8_t>(data, size));
  if (!file.ok()) return 0;
  tessaril::NullProgress progress;
  tessaril::StopFlag stop;
  tessaril::Result<std::unique_ptr<DatabaseFile>> opened =
      DatabaseFile::Open(file.path(), false, progress, stop, tessaril::InventoryMode::kMap);
  if (!opened) return 0;
  const DatabaseFile& db = *opened.value();
  const tessaril::PageInventory& inventory = db.inventory();
  ReadBackFirstLists(db, inventory.systemPages);
  ReadBackFirstLists(db, inventory.dataPages);
  ReadBackFirstLists(db, inventory.iamPages);
  if (!inventory.dataPages.empty()) {
    const std::uint64_t unit = inventory.dataPages.begin()->first;
    const auto objectId = static_cast<std::int32_t>(tessaril::UnitObjectId(unit));
    if (inventory.DataPagesOfObject(objectId).empty()) std::abort();
  }
  ReadEdges(db);
  return 0;
}
