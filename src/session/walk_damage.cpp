#include "session/walk_damage.h"

#include <algorithm>

namespace tessaril {
namespace {

constexpr std::size_t kPagesNamed = 10;

std::string Plural(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::vector<std::string> DamageSummary(const WalkDamage& damage) {
  std::vector<std::string> lines = damage.brokenLinks;
  if (!damage.skippedPages.empty()) {
    std::string line = Plural(damage.skippedPages.size(), "page", "pages") + " skipped:";
    for (std::size_t i = 0; i < damage.skippedPages.size() && i < kPagesNamed; ++i) {
      const SkippedPage& s = damage.skippedPages[i];
      line += (i == 0 ? " " : ", ") + ToString(s.page) + " (" + s.reason + ")";
    }
    if (damage.skippedPages.size() > kPagesNamed) {
      line += " and " + std::to_string(damage.skippedPages.size() - kPagesNamed) + " more";
    }
    lines.push_back(std::move(line));
  }
  if (damage.pagesFromInventory > 0) {
    lines.push_back(Plural(damage.pagesFromInventory, "page", "pages") +
                    " the table's links no longer reach read from the file's pages of its allocation units");
  }
  if (damage.damagedRecords > 0) {
    lines.push_back(Plural(damage.damagedRecords, "damaged record", "damaged records") +
                    " left out");
  }
  return lines;
}

std::vector<PageId> PagesTheLinksMissed(const DatabaseFile& db,
                                        std::span<const std::uint64_t> unitKeys,
                                        const std::vector<PageId>& listed, PfsReader& pfs,
                                        bool linksBroken) {
  std::vector<PageId> sorted = listed;
  std::sort(sorted.begin(), sorted.end());
  std::vector<PageId> missed;
  for (const std::uint64_t key : unitKeys) {
    const auto pages = db.inventory().dataPages.find(key);
    if (pages == db.inventory().dataPages.end()) continue;
    for (const PageEntry& e : pages->second) {
      const PageId id = e.id();
      if (std::binary_search(sorted.begin(), sorted.end(), id)) continue;
      const std::optional<bool> allocated = pfs.IsAllocated(id);
      if (allocated == true || (linksBroken && !allocated.has_value())) missed.push_back(id);
    }
  }
  std::sort(missed.begin(), missed.end());
  missed.erase(std::unique(missed.begin(), missed.end()), missed.end());
  return missed;
}

}  // namespace tessaril
