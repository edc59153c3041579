#include "values/collation_lookup.h"

namespace tessaril {

bool ApplyDatabaseCollation(const CollationTable& table, std::int32_t bootCollationId,
                            const CollationChoice& choice, CollationResult& result) {
  std::int64_t key = choice.automatic ? bootCollationId : choice.manualCollationId;
  const CollationEntry* entry = table.Find(key);
  if (entry == nullptr && choice.automatic) {
    key = static_cast<std::int64_t>(static_cast<std::uint32_t>(bootCollationId) & 0xFFFFu);
    entry = table.Find(key);
  }
  if (entry == nullptr) return false;
  result.found = true;
  result.collationId = key;
  // Unicode-only collations list code page 0; a negative number is no code page either.
  result.codePage = entry->codePage < 0 ? 0u : static_cast<std::uint32_t>(entry->codePage);
  result.name = entry->name;
  return true;
}

}  // namespace tessaril
