// What a walk over a table's pages met of damage: pages that gave no rows
// although the table's links name them, links that break, pages the links
// no longer reach, and records left out. A healthy table meets none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "storage/database_file.h"
#include "storage/pfs.h"

namespace tessaril {

struct SkippedPage {
  PageId page;
  std::string reason;  // "not a data page", "unreadable", "a page of another table"
};

struct WalkDamage {
  std::vector<SkippedPage> skippedPages;
  // "the page chain breaks at 1:45: not a data page"
  std::vector<std::string> brokenLinks;
  // Pages of the table the links no longer reach, read from the file's
  // pages of its allocation units.
  std::size_t pagesFromInventory = 0;
  // Records left out: their slot, their place on the page or their header
  // does not fit.
  std::size_t damagedRecords = 0;
  // Pages whose rows were given although they fail their checksum or torn
  // check: a value of theirs may not be as written.
  std::vector<PageId> pagesFailingProtection;

  bool any() const {
    return !skippedPages.empty() || !brokenLinks.empty() || pagesFromInventory > 0 ||
           damagedRecords > 0 || !pagesFailingProtection.empty();
  }
};

// The lines a person reads of it: the links broken, the pages skipped (the
// first few named, then how many more), the pages read from the inventory,
// the records left out. Empty when there was no damage.
std::vector<std::string> DamageSummary(const WalkDamage& damage);

// Data pages of these units (inventory keys) that listed lacks, in file and
// page order: those the PFS holds allocated, and, when the links broke, those
// whose allocation it cannot tell as well. A healthy walk lists them all.
std::vector<PageId> PagesTheLinksMissed(const DatabaseFile& db,
                                        std::span<const std::uint64_t> unitKeys,
                                        const std::vector<PageId>& listed, PfsReader& pfs,
                                        bool linksBroken);

}  // namespace tessaril
