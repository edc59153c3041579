// The damaged pages grouped by the table whose rows they hold.
#pragma once

#include <vector>

#include "catalog/catalog.h"
#include "damage/damage_report.h"

namespace tessaril {

// One entry per table (and per unit no table owns), in order of first
// damaged page; a page damaged in several ways counts once.
std::vector<TableAtRisk> TablesAtRisk(const std::vector<PageFinding>& damage,
                                      const Catalog& catalog);

}  // namespace tessaril
