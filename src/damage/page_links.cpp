#include "damage/page_links.h"

namespace tessaril {
namespace {


bool Chained(std::uint32_t pageType) {
  return pageType == kDataPageType || pageType == kIndexPageType || pageType == kIamPageType;
}

bool IsNull(PageId id) { return id.fileId == 0 && id.pageNumber == 0; }

DamageKind LinkKind(std::uint8_t pageType) {
  return pageType == kIamPageType ? DamageKind::kBrokenIamLink : DamageKind::kBrokenPageChain;
}

}  // namespace

void PageLinks::Add(const CPage_Header& h) {
  if (!Chained(h.pageType)) return;
  pages_[h.pageId] = Links{static_cast<std::uint8_t>(h.pageType), h.level, h.allocationUnitId(),
                           h.prevPage, h.nextPage};
}

void PageLinks::CheckLink(PageId from, const Links& links, bool forward,
                          std::vector<PageFinding>& out) const {
  const PageId to = forward ? links.next : links.prev;
  if (IsNull(to)) return;
  const char* side = forward ? "next page " : "previous page ";
  std::string fault;
  const auto target = pages_.find(to);
  if (target == pages_.end()) {
    fault = "is no allocated page of its kind";
  } else if (target->second.unitId != links.unitId || target->second.pageType != links.pageType ||
             target->second.level != links.level) {
    fault = "belongs to another allocation unit or level";
  } else if ((forward ? target->second.prev : target->second.next) != from) {
    // Reported from the forward side only: the same break seen from both
    // pages is one fault.
    if (!forward) return;
    fault = "links back to " + ToString(target->second.prev);
  } else {
    return;
  }
  out.push_back({from, LinkKind(links.pageType), links.pageType, links.unitId,
                 side + ToString(to) + " " + fault});
}

std::vector<PageFinding> PageLinks::Check() const {
  std::vector<PageFinding> out;
  for (const auto& [id, links] : pages_) {
    CheckLink(id, links, true, out);
    CheckLink(id, links, false, out);
  }
  return out;
}

std::vector<PageFinding> PageLinks::CheckIamPage(ByteView page, const CPage_Header& h,
                                                 const FilePageCounts& files) {
  std::vector<PageFinding> out;
  const IamPage iam(page);
  for (const PageId single : iam.SinglePages()) {
    if (InsideFile(single, files)) continue;
    out.push_back({h.pageId, DamageKind::kBrokenIamLink, static_cast<std::uint8_t>(h.pageType),
                   h.allocationUnitId(),
                   "single page " + ToString(single) + " lies past its file"});
  }
  return out;
}

}  // namespace tessaril
