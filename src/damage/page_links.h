// The links pages keep to one another: the previous and next pages of a
// level of a table or index, and of an IAM chain, the pages an IAM page
// gives its unit, and the large-object links of rows and text pages.
// Collected while the pages are read, checked at the end.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "damage/damage_report.h"
#include "storage/allocation_map.h"
#include "storage/page_header.h"

namespace tessaril {

class PageLinks {
 public:
  // Keeps the links of a page that lies where its header says and that is
  // allocated. Only data, index and IAM pages are chained.
  void Add(const CPage_Header& header);
  // The large-object links of an allocated page (see PageExamination).
  void AddLobLinks(const CPage_Header& header, const std::vector<RecordId>& targets);
  // An IAM page's single pages that lie past the end of their file.
  static std::vector<PageFinding> CheckIamPage(ByteView page, const CPage_Header& header,
                                               const FilePageCounts& files);
  // One finding per link that does not lead to a page of the same unit and
  // kind that links back, and per large-object link that leads to no slot
  // of an allocated text page (of the same unit, from a text page).
  std::vector<PageFinding> Check() const;

 private:
  struct Links {
    std::uint8_t pageType = 0;
    std::uint8_t level = 0;
    std::uint64_t unitId = 0;
    PageId prev;
    PageId next;
  };
  struct LobLink {
    PageId from;
    std::uint8_t fromType = 0;
    std::uint64_t fromUnit = 0;
    RecordId target;
  };
  struct TextPage {
    std::uint64_t unitId = 0;
    std::uint16_t slots = 0;
  };
  void CheckLink(PageId from, const Links& links, bool forward,
                 std::vector<PageFinding>& out) const;
  void CheckLobLink(const LobLink& link, std::vector<PageFinding>& out) const;

  std::map<PageId, Links> pages_;
  std::map<PageId, TextPage> textPages_;
  std::vector<LobLink> lobLinks_;
};

}  // namespace tessaril
