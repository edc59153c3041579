// Which rowsets, allocation units and data pages hold a table's rows. A
// damaged catalog may lack the rows that say so; every choice falls back on
// the index rows, then on the page inventory.
#pragma once

#include "catalog/table_layout.h"

namespace tessaril {

// Fills the page fields of layout for the object it names.
void SelectTablePages(const Catalog& catalog, const DatabaseFile& db, TableLayout& layout,
                      const RecordOptions& options);

// The first page of a unit's page chain: the stored first page when its
// header makes it a leaf data page of the unit, otherwise the unit's page in
// the inventory whose previous-page link is empty; 0:0 when there is none.
PageId FirstPageOfUnit(const DatabaseFile& db, const AllocationUnitRow& unit);

}  // namespace tessaril
