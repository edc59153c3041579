// Fuzz target for the damage checks of one page: the input is a page
// (shorter inputs are zero-padded), examined as if it lay where its header
// says, with its slot array and records held to it and its links and IAM
// single pages and large-value links checked.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "damage/page_examination.h"
#include "damage/page_links.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tessaril;
  std::vector<std::uint8_t> bytes(kPageSize, 0);
  std::copy_n(data, std::min(size, kPageSize), bytes.begin());
  const CPage_Header header = CPage_Header::Peek(bytes);
  const PageExamination page =
      ExaminePage(std::span<std::uint8_t, kPageSize>(bytes.data(), kPageSize), header.pageId);
  PageLinks links;
  links.Add(page.header);
  links.AddLobLinks(page.header, page.lobTargets);
  (void)links.Check();
  const FilePageCounts files{{1, 400}, {3, 20}};
  (void)PageLinks::CheckIamPage({bytes.data(), bytes.size()}, page.header, files);
  return 0;
}
