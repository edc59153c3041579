#include "session/catalog_damage.h"

#include <algorithm>

namespace tessaril {

std::vector<std::string> CatalogDamageLines(const ScanResult& scan) {
  std::vector<std::string> lines;
  for (const auto& [objectId, pages] : scan.db->inventory().systemPages) {
    for (const PageEntry& e : pages) {
      const std::optional<HeaderedPage> page = scan.db->ReadPage(e.id());
      if (page && page->header.protectionFailed) {
        lines.push_back("Damage: page " + ToString(e.id()) +
                        " of the catalog fails its checksum or torn check");
      }
    }
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
