#include "session/page_rows.h"

#include "session/table_reader.h"
#include "values/row_renderer.h"

namespace tessaril {

std::optional<std::int32_t> FindPageOwner(const ScanResult& scan, const CPage_Header& header) {
  const Catalog& catalog = scan.catalog;
  if (catalog.sql2000Layout) {
    if (catalog.FindObject(header.objectId) == nullptr) return std::nullopt;
    return header.objectId;
  }
  const auto ownerOf = [&](const AllocationUnitRow& u) -> std::optional<std::int32_t> {
    for (const RowsetRow& r : catalog.rowsets) {
      if (r.rowsetId == u.ownerId) return r.objectId;
    }
    return std::nullopt;
  };
  const std::uint64_t unit = header.allocationUnitId();
  for (const AllocationUnitRow& u : catalog.allocationUnits) {
    if (u.unitId == unit) return ownerOf(u);
  }
  // Pages of a database upgraded from SQL Server 2000 may carry index id 0
  // where the unit's id has another: the object id part still names it.
  for (const AllocationUnitRow& u : catalog.allocationUnits) {
    if (u.type == kInRowDataUnit && UnitObjectId(u.unitId) == UnitObjectId(unit)) return ownerOf(u);
  }
  return std::nullopt;
}

std::optional<PageRows> ReadRowsOfPage(const ScanSnapshot& scan, PageId page) {
  const std::optional<CPage_Header> header = scan->db->ReadPageHeader(page);
  if (!header || header->pageType != kDataPageType) return std::nullopt;
  const std::optional<std::int32_t> owner = FindPageOwner(*scan, *header);
  if (!owner) return std::nullopt;
  Result<std::unique_ptr<TableReader>> table = TableReader::Open(scan, *owner);
  if (!table) return std::nullopt;
  PageRows rows;
  rows.tableName = QualifiedName(scan->catalog, (*table)->object());
  rows.columns = (*table)->layout().columns;
  rows.rows = ReadPageRows(page, (*table)->context());
  return rows;
}

}  // namespace tessaril
