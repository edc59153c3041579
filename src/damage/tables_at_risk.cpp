#include "damage/tables_at_risk.h"

#include <algorithm>
#include <map>

namespace tessaril {

std::vector<TableAtRisk> TablesAtRisk(const std::vector<PageFinding>& damage,
                                      const Catalog& catalog) {
  std::vector<TableAtRisk> tables;
  std::map<std::string, std::size_t> byName;
  std::map<PageId, std::size_t> rowsByPage;
  for (const PageFinding& f : damage) {
    const CatalogObject* owner = OwnerOfUnit(catalog, f.unitId);
    const std::string name =
        owner != nullptr ? owner->name : "allocation unit " + std::to_string(f.unitId);
    auto [it, added] = byName.emplace(name, tables.size());
    if (added) tables.push_back({name, owner != nullptr ? owner->id : 0, {}, 0});
    TableAtRisk& table = tables[it->second];
    if (std::find(table.pages.begin(), table.pages.end(), f.page) == table.pages.end()) {
      table.pages.push_back(f.page);
    }
    std::size_t& rows = rowsByPage[f.page];
    if (f.rowsOnPage > rows) {
      table.rowsAtRisk += f.rowsOnPage - rows;
      rows = f.rowsOnPage;
    }
  }
  return tables;
}

}  // namespace tessaril
