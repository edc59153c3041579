#include "catalog/lost_units.h"

#include <algorithm>
#include <limits>
#include <set>

#include "records/record_page.h"
#include "storage/pfs.h"

namespace tessaril {
namespace {

// Object ids below this in a page header are SQL Server's own tables.
constexpr std::uint32_t kFirstUserObjectId = 100;
// Index ids from this on belong to unit ids SQL Server 2005 and later number
// from a counter: their object id field is no object's id.
constexpr std::uint16_t kNumberedUnitIndexId = 256;

// A unit named by a system table's object id and an index id.
bool OfASystemTable(std::uint64_t key) {
  return UnitIndexId(key) < kNumberedUnitIndexId && UnitObjectId(key) < kFirstUserObjectId;
}

// Units the catalog names: its allocation units and rowsets, and, as pages
// written by SQL Server 2000 name them, its objects by id and index id.
class ClaimedUnits {
 public:
  ClaimedUnits(const Catalog& catalog, const PageInventory& inventory) {
    for (const AllocationUnitRow& u : catalog.allocationUnits) {
      units_.insert(inventory.KeyOfUnit(u.unitId));
    }
    for (const RowsetRow& r : catalog.rowsets) units_.insert(inventory.KeyOfUnit(r.rowsetId));
    for (const CatalogObject& o : catalog.objects)
      objects_.insert(static_cast<std::uint32_t>(o.id));
  }
  bool Claims(std::uint64_t key) const {
    return units_.count(key) != 0 ||
           (UnitIndexId(key) < kLegacyIndexIds && objects_.count(UnitObjectId(key)) != 0);
  }

 private:
  static constexpr std::uint16_t kLegacyIndexIds = 256;
  std::set<std::uint64_t> units_;
  std::set<std::uint32_t> objects_;
};

// Object ids no object of the catalog has, from the top of the range down.
class FreeIds {
 public:
  explicit FreeIds(const Catalog& catalog) {
    for (const CatalogObject& o : catalog.objects) used_.insert(o.id);
  }
  std::int32_t Next() {
    while (used_.count(next_) != 0) --next_;
    used_.insert(next_);
    return next_;
  }

 private:
  std::set<std::int32_t> used_;
  std::int32_t next_ = std::numeric_limits<std::int32_t>::max();
};

ColumnDef LostColumn(std::string name, const char* typeText, std::int32_t typeCode,
                     std::int32_t ordinal) {
  ColumnDef c = MakeColumnDef(std::move(name), typeText, typeCode);
  c.columnId = c.physicalOrdinal = ordinal;
  c.declaredType = typeText;
  c.storedType = typeText;
  c.isNullable = true;
  c.isInRowset = true;
  return c;
}

}  // namespace

void AddLostUnits(Catalog& catalog, const DatabaseFile& db, const RecordOptions& options) {
  const PageInventory& inventory = db.inventory();
  const ClaimedUnits claimed(catalog, inventory);
  PfsReader pfs(db);
  FreeIds ids(catalog);
  for (const auto& [key, pages] : inventory.dataPages) {
    if (options.stopRequested()) return;
    if (claimed.Claims(key) || OfASystemTable(key)) continue;
    LostUnit unit{key, {}, nullptr};
    for (const PageEntry& e : pages) {
      if (pfs.IsAllocated(e.id()) != false) unit.pages.push_back(e.id());
    }
    if (unit.pages.empty()) continue;
    std::sort(unit.pages.begin(), unit.pages.end());
    CatalogObject object;
    object.id = ids.Next();
    object.name = "LostAndFound_" + std::to_string(key);
    object.type = "U ";
    object.lostAndFound = true;
    catalog.objects.push_back(object);
    catalog.lostUnits.emplace(object.id, std::move(unit));
  }
}

void LayOutLostUnit(const LostUnit& unit, const DatabaseFile& db, const RecordOptions& options,
                    TableLayout& layout) {
  if (unit.schema) {
    const CatalogObject object = layout.object;
    layout = *unit.schema;
    layout.object = object;
    layout.pages = unit.pages;
    layout.pagesFromInventory = true;
    return;
  }
  layout.pages = unit.pages;
  layout.lostUnit = true;
  layout.pagesFromInventory = true;
  std::int32_t variable = 0;
  for (const PageId& id : unit.pages) {
    if (options.stopRequested()) break;
    std::optional<HeaderedPage> page = db.ReadPage(id);
    if (!page) continue;
    const PrimaryRecordPage records(std::move(*page), &db, options);
    for (const auto& r : records.records()) {
      if (r && !r->isInvalid) variable = std::max<std::int32_t>(variable, r->variableCount);
    }
  }
  layout.columns.push_back(LostColumn("fixed", "varbinary(8000)", kVarbinaryCode, 1));
  for (std::int32_t v = 1; v <= variable; ++v) {
    layout.columns.push_back(
        LostColumn("column_" + std::to_string(v), "nvarchar(4000)", kNvarcharCode, v + 1));
  }
  layout.layoutReady = true;
}

}  // namespace tessaril
