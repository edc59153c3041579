// The damaged pages grouped by the table whose rows they hold.
#pragma once

#include <vector>

#include "catalog/catalog.h"
#include "damage/damage_report.h"

namespace tessaril {

// The table that owns an allocation unit, as the catalog says: the unit's
// rowset's object (2005 and later), or the header's object id itself in the
// SQL Server 2000 layout. Null when the catalog names none.
const CatalogObject* OwnerOfUnit(const Catalog& catalog, std::uint64_t unitId);

// One entry per table (and per unit no table owns), in order of first
// damaged page; a page damaged in several ways counts once.
std::vector<TableAtRisk> TablesAtRisk(const std::vector<PageFinding>& damage,
                                      const Catalog& catalog);

}  // namespace tessaril
