// What a scan says of damage once the catalog is read: the pages of the
// base system tables that fail their checksum or torn check (the rows the
// catalog was rebuilt from may hold damaged values), the other allocated
// pages that failed it as the file was mapped, with the table they hold
// rows of, and the tables it recovered without their catalog rows.
#pragma once

#include <string>
#include <vector>

#include "session/scan_result.h"

namespace tessaril {

// "Damage: page 1:34 of the catalog fails its checksum or torn check",
// "Damage: page 1:300 of Orders fails its checksum or torn check; its rows
// are shown as read" (twenty pages at most, the others counted), then
// "Damage: 3 table(s) recovered without their catalog rows, in Lost and
// Found"; nothing for a healthy file.
std::vector<std::string> CatalogDamageLines(const ScanResult& scan);

}  // namespace tessaril
