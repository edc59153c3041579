// Which tables an export from the object tree takes.
#pragma once

#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "session/object_tree.h"

namespace tessaril {

// The tables whose items are checked, or hold a checked column or key,
// each once, by the qualified name the exporter looks up ("dbo.Orders"),
// in display order.
std::vector<std::string> CheckedTableNames(const ObjectTree& tree, const Catalog& catalog);

}  // namespace tessaril
