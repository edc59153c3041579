#include "session/catalog_damage.h"

#include <algorithm>
#include <set>

#include "storage/pfs.h"

namespace tessaril {
namespace {

// The damaged pages outside the catalog named one by one; the rest counted.
constexpr std::size_t kPagesNamed = 20;

// The table whose rows a page holds, for the log: "of Orders", else "of
// allocation unit N".
std::string OwnerText(const ScanResult& scan, PageId id) {
  const std::optional<HeaderedPage> page = scan.db->ReadPage(id);
  if (!page) return {};
  const std::uint64_t unit = page->header.allocationUnitId();
  const CatalogObject* owner = OwnerOfUnit(scan.catalog, unit);
  return owner != nullptr ? " of " + owner->name : " of allocation unit " + std::to_string(unit);
}

}  // namespace

std::vector<std::string> CatalogDamageLines(const ScanResult& scan) {
  std::vector<std::string> lines;
  std::set<PageId> catalogPages;
  for (const auto& [objectId, pages] : scan.db->inventory().systemPages) {
    for (const PageEntry& e : pages) {
      catalogPages.insert(e.id());
      const std::optional<HeaderedPage> page = scan.db->ReadPage(e.id());
      if (page && page->header.protectionFailed) {
        lines.push_back("Damage: page " + ToString(e.id()) +
                        " of the catalog fails its checksum or torn check");
      }
    }
  }
  // Pages no allocation map holds keep whatever was there before: no damage.
  PfsReader pfs(*scan.db);
  std::size_t unnamed = 0;
  for (const PageId& id : scan.db->inventory().protectionFailures) {
    if (catalogPages.count(id) != 0 || pfs.IsAllocated(id) == false) continue;
    if (lines.size() >= kPagesNamed) {
      ++unnamed;
      continue;
    }
    lines.push_back("Damage: page " + ToString(id) + OwnerText(scan, id) +
                    " fails its checksum or torn check; its rows are shown as read");
  }
  if (unnamed > 0) {
    lines.push_back("Damage: " + std::to_string(unnamed) +
                    " more page(s) fail their checksum or torn check ('tessaril-cli check' "
                    "names them all)");
  }
  const auto lost = std::count_if(scan.catalog.objects.begin(), scan.catalog.objects.end(),
                                  [](const CatalogObject& o) { return o.lostAndFound; });
  if (lost > 0) {
    lines.push_back("Damage: " + std::to_string(lost) +
                    " table(s) recovered without their catalog rows, in Lost and Found");
  }
  return lines;
}

}  // namespace tessaril
