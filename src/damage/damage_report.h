// The damage report of a data file: every page read as stored and checked
// against its own protection (checksum or torn bits), its header and slot
// array, and its links to other pages; the damaged pages then grouped by the
// table whose rows they hold. Bytes that are no page at all (old disk
// contents in unallocated space) are information, not damage.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/progress.h"
#include "base/stop_flag.h"
#include "catalog/catalog.h"
#include "storage/database_file.h"

namespace tessaril {

enum class DamageKind {
  kChecksumFailed,
  kTornPage,
  kImpossibleHeader,
  kSlotArray,
  kBrokenPageChain,
  kBrokenIamLink,
  kBrokenLobLink,  // a large-object link to no structure of a text page
};

// "checksum", "torn page", ...: the word the report prints for a kind.
const char* DamageKindName(DamageKind kind);

// One fault of one page.
struct PageFinding {
  PageId page;
  DamageKind kind = DamageKind::kChecksumFailed;
  std::uint8_t pageType = 0;
  std::uint64_t unitId = 0;  // the allocation unit the page's header names
  std::string detail;
  std::size_t rowsOnPage = 0;  // the consistent slots of a data page; 0 for other pages
};

// A page that is not damage but is worth knowing about: bytes that are no
// page of this file, or a fault on a page no allocation map holds.
struct PageNote {
  PageId page;
  std::string detail;
};

// The damaged pages of one table (or one allocation unit the catalog does
// not name).
struct TableAtRisk {
  std::string name;
  std::int32_t objectId = 0;     // 0 when the catalog names no table for the unit
  std::vector<PageId> pages;     // distinct, in file order
  std::uint64_t rowsAtRisk = 0;  // the slots of those pages that are data pages
};

struct DamageReport {
  std::uint64_t pagesRead = 0;
  std::uint64_t zeroPages = 0;
  std::uint64_t checksumPages = 0;  // pages that carry a checksum, whatever its outcome
  std::uint64_t tornBitPages = 0;   // pages protected by torn bits
  // Pages the primary file's header counts that the file does not hold.
  std::uint64_t missingPages = 0;
  std::vector<PageFinding> damage;  // in file order
  std::vector<PageNote> information;
  std::vector<TableAtRisk> tables;
  bool stopped = false;  // a stop request ended the pass early

  bool damageFound() const { return !damage.empty() || missingPages > 0; }
};

// Reads every page of the primary file and of each secondary file opened
// for it. catalog names the tables; an empty catalog leaves units unnamed.
DamageReport CheckForDamage(const DatabaseFile& db, const Catalog& catalog, ProgressSink& progress,
                            const StopFlag& stop);

}  // namespace tessaril
