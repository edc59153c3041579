#include "catalog/table_pages.h"

#include <algorithm>
#include <set>

namespace tessaril {
namespace {

constexpr std::uint8_t kMadeUpType = 255;

RowsetRow MadeUpRowset(std::uint64_t rowsetId, std::int32_t objectId, std::uint32_t status) {
  RowsetRow r;
  r.rowsetId = rowsetId;
  r.ownerType = kMadeUpType;
  r.objectId = objectId;
  r.indexId = -1;
  r.partitionNumber = -1;
  r.status = status;
  r.filegroup = 0xFFFF;
  r.rowCount = -1;
  return r;
}

AllocationUnitRow MadeUpUnit(std::uint64_t rowsetId) {
  AllocationUnitRow u;
  u.unitId = rowsetId;
  u.ownerId = rowsetId;
  u.type = kMadeUpType;
  u.status = 0xFFFFFFFFu;
  return u;
}

const PageList* PagesOfUnit(const PageInventory& inventory,
                            const std::map<std::uint64_t, PageList>& map, std::uint64_t unitId) {
  const auto it = map.find(inventory.KeyOfUnit(unitId));
  return it == map.end() || it->second.empty() ? nullptr : &it->second;
}

// The heap or clustered index of the object: every partition of the lowest
// of index ids 0 and 1, in partition order.
void SelectRowsets(const Catalog& catalog, TableLayout& layout) {
  const std::int32_t id = layout.object.id;
  for (const RowsetRow& r : catalog.rowsets) {
    if (r.objectId == id) layout.rowsets.push_back(r);
  }
  std::int32_t dataIndex = 2;
  for (const RowsetRow& r : layout.rowsets) {
    if (r.indexId == 0 || r.indexId == 1) dataIndex = std::min(dataIndex, r.indexId);
  }
  for (const RowsetRow& r : layout.rowsets) {
    if (r.indexId == dataIndex) layout.dataRowsets.push_back(r);
  }
  std::stable_sort(
      layout.dataRowsets.begin(), layout.dataRowsets.end(),
      [](const RowsetRow& a, const RowsetRow& b) { return a.partitionNumber < b.partitionNumber; });
  if (!layout.dataRowsets.empty()) {
    layout.rowset = layout.dataRowsets.front();
    return;
  }
  const IndexRow* index = nullptr;
  for (const IndexRow& i : catalog.indexes) {
    if (i.objectId == id && i.rowsetId != 0) {
      index = &i;
      break;
    }
  }
  layout.rowset = layout.rowsets.empty() ? MadeUpRowset(0, -1, 0xFFFFFFFFu) : layout.rowsets.back();
  if (index != nullptr) {
    layout.rowset.rowsetId = index->rowsetId;
    layout.rowset.objectId = id;
    layout.rowset.status = index->status;
    layout.rowsetFromIndexTable = true;
  }
  layout.dataRowsets.push_back(layout.rowset);
  if (layout.rowsets.empty()) {
    for (const IndexRow& i : catalog.indexes) {
      if (i.objectId == id && i.rowsetId != 0)
        layout.rowsets.push_back(MadeUpRowset(i.rowsetId, id, i.status));
    }
  }
}

// The in-row data unit of a rowset, or one made up from the inventory.
AllocationUnitRow InRowUnit(const Catalog& catalog, const DatabaseFile& db, const RowsetRow& rowset,
                            TableLayout& layout) {
  for (const AllocationUnitRow& u : catalog.allocationUnits) {
    if (u.ownerId == rowset.rowsetId && u.type == kInRowDataUnit &&
        (u.firstPage != PageId{} || u.rootPage != PageId{} || u.firstIamPage != PageId{})) {
      AllocationUnitRow found = u;
      found.firstPage = FirstPageOfUnit(db, u);
      return found;
    }
  }
  AllocationUnitRow made = MadeUpUnit(rowset.rowsetId);
  if (PagesOfUnit(db.inventory(), db.inventory().dataPages, made.unitId) != nullptr) {
    layout.rowsetFromIndexTable = true;
    made.firstPage = FirstPageOfUnit(db, made);
  }
  if (const PageList* iam = PagesOfUnit(db.inventory(), db.inventory().iamPages, made.unitId)) {
    layout.rowsetFromIndexTable = true;
    made.firstIamPage = iam->back().id();
  }
  return made;
}

void SelectUnits(const Catalog& catalog, TableLayout& layout) {
  for (const RowsetRow& r : layout.dataRowsets) {
    for (const AllocationUnitRow& u : catalog.allocationUnits) {
      if (u.ownerId == r.rowsetId) layout.allocationUnits.push_back(u);
    }
  }
  if (layout.allocationUnits.empty() && layout.rowsetFromIndexTable) {
    for (const RowsetRow& r : layout.dataRowsets) {
      for (const AllocationUnitRow& u : catalog.allocationUnits) {
        if (u.unitId == r.rowsetId) layout.allocationUnits.push_back(u);
      }
    }
  }
  if (layout.allocationUnits.empty()) {
    for (const RowsetRow& r : layout.dataRowsets)
      layout.allocationUnits.push_back(MadeUpUnit(r.rowsetId));
  }
}

// Adds a data page; with a rowset from the index table, a page met before
// (seen holds them) is added once.
void AddPage(TableLayout& layout, const PageEntry& e, std::set<PageId>& seen) {
  if (e.type() != kDataPageType) return;
  if (layout.rowsetFromIndexTable && !seen.insert(e.id()).second) return;
  layout.pages.push_back(e.id());
}

}  // namespace

PageId FirstPageOfUnit(const DatabaseFile& db, const AllocationUnitRow& unit) {
  const PageList* pages = PagesOfUnit(db.inventory(), db.inventory().dataPages, unit.unitId);
  if (unit.firstPage != PageId{}) {
    if (const auto h = db.ReadPageHeader(unit.firstPage)) {
      if (h->pageType == kDataPageType && h->level == 0 && h->allocationUnitId() == unit.unitId) {
        return unit.firstPage;
      }
    }
  }
  if (pages == nullptr) return {};
  for (const PageEntry& e : *pages) {
    const auto h = db.ReadPageHeader(e.id());
    if (h && h->prevPage.pageNumber == 0 && h->level == 0) return e.id();
  }
  return {};
}

void SelectTablePages(const Catalog& catalog, const DatabaseFile& db, TableLayout& layout,
                      const RecordOptions& options) {
  layout.pages.clear();
  std::set<PageId> seen;
  const std::int32_t id = layout.object.id;
  if (!catalog.sql2000Layout) {
    if (options.stopRequested()) return;
    SelectRowsets(catalog, layout);
    layout.allocationUnit = InRowUnit(catalog, db, layout.rowset, layout);
    SelectUnits(catalog, layout);
    for (const AllocationUnitRow& u : layout.allocationUnits) {
      if (const PageList* pages = PagesOfUnit(db.inventory(), db.inventory().dataPages, u.unitId)) {
        for (const PageEntry& e : *pages) AddPage(layout, e, seen);
      }
    }
    if (!layout.pages.empty()) return;
    seen.clear();
  } else if (options.stopRequested()) {
    return;
  }
  // Pages filed under the object id itself, as SQL Server 2000 headers name them.
  for (const PageEntry& e : db.inventory().DataPagesOfObject(id)) {
    if (catalog.sql2000Layout || e.indexId() <= 1) AddPage(layout, e, seen);
  }
}

}  // namespace tessaril
