// The database's default collation: the boot page's collation id, or the one
// the user chose, looked up in the collation table. Its code page decodes
// 8-bit text that names no collation of its own.
#pragma once

#include <cstdint>
#include <string>

#include "base/code_page.h"
#include "values/collation_table.h"

namespace tessaril {

// The collation found for the database. It starts as "not found, 1252"; a
// lookup that finds nothing leaves it as it was, so a scan whose boot page
// names no known collation keeps what an earlier scan found.
struct CollationResult {
  bool found = false;
  std::int64_t collationId = -1;
  std::uint32_t codePage = kDefaultCodePage;
  std::string name;
};

// Which collation id is looked up: the boot page's (automatic), or the one
// the user picked (manual).
struct CollationChoice {
  bool automatic = true;
  std::int64_t manualCollationId = 0;
};

// Looks up the database's collation and, when found, fills result with it.
// Automatic: the boot page's 32-bit id, sign-extended; when the table lacks
// it, its low 16 bits (which name the Windows collation a SQL collation is
// built on) are tried once more. Manual: the chosen id only. Returns whether
// a collation was found; result is left untouched when none was.
bool ApplyDatabaseCollation(const CollationTable& table, std::int32_t bootCollationId,
                            const CollationChoice& choice, CollationResult& result);

}  // namespace tessaril
