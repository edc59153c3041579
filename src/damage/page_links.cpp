#include "damage/page_links.h"

#include <algorithm>

#include "records/text_page.h"

namespace tessaril {
namespace {

bool Chained(std::uint32_t pageType) {
  return pageType == kDataPageType || pageType == kIndexPageType || pageType == kIamPageType;
}

bool IsTextPage(std::uint32_t pageType) {
  return pageType == kTextMixPageType || pageType == kTextTreePageType;
}

bool IsNull(PageId id) { return id.fileId == 0 && id.pageNumber == 0; }

DamageKind LinkKind(std::uint8_t pageType) {
  return pageType == kIamPageType ? DamageKind::kBrokenIamLink : DamageKind::kBrokenPageChain;
}

}  // namespace

void PageLinks::Add(const CPage_Header& h) {
  if (IsTextPage(h.pageType)) textPages_[h.pageId] = {h.allocationUnitId(), h.slotCount};
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

void PageLinks::AddLobLinks(const CPage_Header& h, const std::vector<RecordId>& targets) {
  for (const RecordId& target : targets) {
    lobLinks_.push_back(
        {h.pageId, static_cast<std::uint8_t>(h.pageType), h.allocationUnitId(), target});
  }
}

void PageLinks::CheckLobLink(const LobLink& link, std::vector<PageFinding>& out) const {
  const auto target = textPages_.find(link.target.page);
  std::string fault;
  if (target == textPages_.end()) {
    fault = "is no allocated text page";
  } else if (link.target.slot >= target->second.slots) {
    fault = "has " + std::to_string(target->second.slots) + " slots";
  } else if (IsTextPage(link.fromType) && target->second.unitId != link.fromUnit) {
    fault = "belongs to another allocation unit";
  } else {
    return;
  }
  // A data page's link is a row's value: that row is at risk.
  const std::size_t rows = link.fromType == kDataPageType ? 1 : 0;
  out.push_back({link.from, DamageKind::kBrokenLobLink, link.fromType, link.fromUnit,
                 "large-value link to " + ToString(link.target.page) + " slot " +
                     std::to_string(link.target.slot) + ": the page " + fault,
                 rows});
}

std::vector<PageFinding> PageLinks::Check() const {
  std::vector<PageFinding> out;
  for (const auto& [id, links] : pages_) {
    CheckLink(id, links, true, out);
    CheckLink(id, links, false, out);
  }
  for (const LobLink& link : lobLinks_) CheckLobLink(link, out);
  std::stable_sort(out.begin(), out.end(),
                   [](const PageFinding& a, const PageFinding& b) { return a.page < b.page; });
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
