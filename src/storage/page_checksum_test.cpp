#include "storage/page_checksum.h"

#include <gtest/gtest.h>

#include <vector>

#include "storage/page_header.h"
#include "storage/page_id.h"
#include "testing/test_files.h"
#include "testing/corpus.h"

namespace tessaril {
namespace {

ByteView View(const std::vector<std::uint8_t>& bytes) { return {bytes.data(), bytes.size()}; }

// A data page with some bytes in every sector, protected by a checksum.
std::vector<std::uint8_t> ChecksumPage() {
  std::vector<std::uint8_t> page = testing::MakePage({1, 117, 0, 1, 153});
  for (std::size_t i = 96; i < kPageSize; i += 37) page[i] = static_cast<std::uint8_t>(i * 7);
  page[4] = static_cast<std::uint8_t>(kPageChecksumFlag & 0xFF);
  page[5] = static_cast<std::uint8_t>(kPageChecksumFlag >> 8);
  testing::SetU32(page, 60, ComputePageChecksum(View(page)));
  return page;
}

// A page whose sectors 1-15 end in pattern 2, torn bits stored at offset 60.
std::vector<std::uint8_t> TornPage() {
  std::vector<std::uint8_t> page = testing::MakePage({1, 117, 0, 1, 153});
  page[5] = static_cast<std::uint8_t>(kTornBitsFlag >> 8);
  for (std::size_t sector = 1; sector < 16; ++sector) page[512 * (sector + 1) - 1] = 0xA6;
  testing::SetU32(page, 60, 0x5555556A);
  return page;
}

TEST(PageChecksum, BuiltPagesVerify) {
  EXPECT_EQ(CheckPageProtection(View(ChecksumPage())).protection, PageProtection::kChecksum);
  EXPECT_TRUE(CheckPageProtection(View(ChecksumPage())).intact);
  EXPECT_EQ(CheckPageProtection(View(TornPage())).protection, PageProtection::kTornBits);
  EXPECT_TRUE(CheckPageProtection(View(TornPage())).intact);
  const std::vector<std::uint8_t> plain = testing::MakePage({1, 117, 0, 1, 153});
  EXPECT_EQ(CheckPageProtection(View(plain)).protection, PageProtection::kNone);
  EXPECT_TRUE(CheckPageProtection(View(plain)).intact);
}

// One changed bit anywhere, the stored checksum included, is caught.
TEST(PageChecksum, EveryChangedByteFailsTheChecksum) {
  const std::vector<std::uint8_t> good = ChecksumPage();
  for (const std::size_t offset : {std::size_t{0}, std::size_t{60}, std::size_t{63},
                                   std::size_t{511}, std::size_t{4000}, kPageSize - 1}) {
    for (const std::uint8_t bit : {std::uint8_t{0x01}, std::uint8_t{0x80}}) {
      std::vector<std::uint8_t> page = good;
      page[offset] ^= bit;
      EXPECT_FALSE(CheckPageProtection(View(page)).intact) << offset << " bit " << int{bit};
    }
  }
}

TEST(PageChecksum, ASectorEndingInAnotherPatternIsTorn) {
  for (const std::size_t sector : {std::size_t{1}, std::size_t{8}, std::size_t{15}}) {
    std::vector<std::uint8_t> page = TornPage();
    page[512 * (sector + 1) - 1] ^= 0x03;
    EXPECT_FALSE(CheckPageProtection(View(page)).intact) << "sector " << sector;
  }
  // Sector 0 carries no pattern: the low bits of the stored field name it.
  std::vector<std::uint8_t> page = TornPage();
  page[511] ^= 0x03;
  EXPECT_TRUE(CheckPageProtection(View(page)).intact);
}

// Every page of every corpus file that carries a checksum or torn bits
// verifies, once it is a page at all: old disk contents in unallocated space
// do not name their own position.
TEST(PageChecksumCorpus, EveryProtectedPageVerifies) {
  TESSARIL_REQUIRE_CORPUS();
  std::size_t checksumPages = 0;
  std::size_t tornPages = 0;
  for (const testing::CorpusFile& file : testing::CorpusFiles()) {
    const std::vector<std::uint8_t> bytes = testing::ReadWholeFile(file.path);
    for (std::size_t position = 0; position * kPageSize < bytes.size(); ++position) {
      const ByteView page = View(bytes).Sub(position * kPageSize, kPageSize);
      const CPage_Header h = CPage_Header::Peek({page.data(), page.size()});
      if (h.pageId.pageNumber != static_cast<std::int32_t>(position)) continue;
      const ProtectionCheck check = CheckPageProtection(page);
      EXPECT_TRUE(check.intact) << file.dir << " page " << position;
      checksumPages += check.protection == PageProtection::kChecksum;
      tornPages += check.protection == PageProtection::kTornBits;
    }
  }
  EXPECT_GT(checksumPages, 3000u);
  EXPECT_GT(tornPages, 900u);
}

}  // namespace
}  // namespace tessaril
