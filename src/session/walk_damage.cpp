#include "session/walk_damage.h"

#include <algorithm>

namespace tessaril {
namespace {

constexpr std::size_t kPagesNamed = 10;

std::string Plural(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "a, b, c and 4 more": the first few items named.
template <class Items, class Name>
std::string NameFirst(const Items& items, Name name) {
  std::string line;
  for (std::size_t i = 0; i < items.size() && i < kPagesNamed; ++i) {
    line += (i == 0 ? "" : ", ") + name(items[i]);
  }
  if (items.size() > kPagesNamed) {
    line += " and " + std::to_string(items.size() - kPagesNamed) + " more";
  }
  return line;
}

}  // namespace

std::vector<std::string> DamageSummary(const WalkDamage& damage) {
  std::vector<std::string> lines = damage.brokenLinks;
  if (!damage.skippedPages.empty()) {
    lines.push_back(Plural(damage.skippedPages.size(), "page", "pages") +
                    " skipped: " + NameFirst(damage.skippedPages, [](const SkippedPage& s) {
                      return ToString(s.page) + " (" + s.reason + ")";
                    }));
  }
  if (!damage.pagesFailingProtection.empty()) {
    lines.push_back(
        Plural(damage.pagesFailingProtection.size(), "page", "pages") +
        " failing the checksum or torn check gave rows that may hold damaged values: " +
        NameFirst(damage.pagesFailingProtection, [](const PageId& p) { return ToString(p); }));
  }
  if (damage.pagesFromInventory > 0) {
    lines.push_back(
        Plural(damage.pagesFromInventory, "page", "pages") +
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
