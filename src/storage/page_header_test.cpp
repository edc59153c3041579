#include "storage/page_header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/database_file.h"
#include "storage/page_checksum.h"
#include "testing/corpus.h"

namespace tessaril {
namespace {

std::vector<std::uint8_t> Page() { return std::vector<std::uint8_t>(kPageSize, 0); }

void Put(std::vector<std::uint8_t>& page, std::size_t offset, std::uint64_t value, int width) {
  for (int i = 0; i < width; ++i)
    page[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

TEST(PageHeader, ZeroPageDecodesToZeros) {
  std::vector<std::uint8_t> page = Page();
  const CPage_Header h(page);
  EXPECT_EQ(h.pageType, 0u);
  EXPECT_EQ(h.objectId, 0);
  EXPECT_EQ(h.pageId, (PageId{0, 0}));
  EXPECT_EQ(h.slotCount, 0);
  EXPECT_EQ(h.LsnText(), "( 0 : 0 : 0 )");
  EXPECT_EQ(h.TransactionIdText(), "( 0 : 0 )");
  EXPECT_FALSE(h.tornBitsRestored);
}

// Every field at its own offset with its own value, so a swapped offset shows.
TEST(PageHeader, EachFieldComesFromItsOffset) {
  std::vector<std::uint8_t> page = Page();
  Put(page, 0, 1, 1);
  Put(page, 1, 10, 1);
  Put(page, 2, 4, 1);
  Put(page, 3, 2, 1);
  Put(page, 4, 0x0200, 2);
  Put(page, 6, 256, 2);
  Put(page, 8, 117, 4);
  Put(page, 12, 3, 2);
  Put(page, 14, 132, 2);
  Put(page, 16, 119, 4);
  Put(page, 20, 4, 2);
  Put(page, 22, 31, 2);
  Put(page, 24, 34, 4);
  Put(page, 28, 7542, 2);
  Put(page, 30, 648, 2);
  Put(page, 32, 118, 4);
  Put(page, 36, 5, 2);
  Put(page, 38, 6, 2);
  Put(page, 40, 26, 4);
  Put(page, 44, 171, 4);
  Put(page, 48, 0xFFFF, 2);  // the LSN slot is signed
  Put(page, 50, 9, 2);
  Put(page, 52, 1234, 4);
  Put(page, 56, 0xFFFE, 2);
  Put(page, 58, 3, 2);
  Put(page, 60, 0xDEADBEEF, 4);
  const CPage_Header h = CPage_Header::Peek(page);
  EXPECT_EQ(h.headerVersion, 1);
  EXPECT_EQ(h.pageType, 10u);
  EXPECT_EQ(h.typeFlagBits, 4);
  EXPECT_EQ(h.level, 2);
  EXPECT_EQ(h.flagBits, 0x0200);
  EXPECT_EQ(h.indexId, 256);
  EXPECT_EQ(h.prevPage, (PageId{3, 117}));
  EXPECT_EQ(h.minRecordLength, 132);
  EXPECT_EQ(h.nextPage, (PageId{4, 119}));
  EXPECT_EQ(h.slotCount, 31);
  EXPECT_EQ(h.objectId, 34);
  EXPECT_EQ(h.freeByteCount, 7542);
  EXPECT_EQ(h.freeDataOffset, 648);
  EXPECT_EQ(h.pageId, (PageId{5, 118}));
  EXPECT_EQ(h.reservedByteCount, 6);
  EXPECT_EQ(h.xactReservedByteCount, 9);
  EXPECT_EQ(h.ghostRecordCount, 3);
  EXPECT_EQ(h.tornBits, 0xDEADBEEFu);
  EXPECT_EQ(h.LsnText(), "( 26 : 171 : -1 )");
  EXPECT_EQ(h.TransactionIdText(), "( -2 : 1234 )");
  EXPECT_EQ(h.allocationUnitId(), (256ull << 48) | (34ull << 16));
}

TEST(PageHeader, TornBitsGoBackIntoSectorsOneToFifteen) {
  std::vector<std::uint8_t> page = Page();
  Put(page, 4, kTornBitsFlag, 2);
  Put(page, 60, 0xFFFFFFFF, 4);
  const CPage_Header h(page);
  EXPECT_TRUE(h.tornBitsRestored);
  EXPECT_EQ(page[511], 0);  // sector 0 is never touched
  for (std::size_t k = 1; k < 16; ++k) EXPECT_EQ(page[512 * (k + 1) - 1], 3) << "sector " << k;

  // Without the flag the same bits are a checksum and nothing changes.
  std::vector<std::uint8_t> checksummed = Page();
  Put(checksummed, 4, 0x0200, 2);
  Put(checksummed, 60, 0xFFFFFFFF, 4);
  EXPECT_FALSE(CPage_Header(checksummed).tornBitsRestored);
  EXPECT_EQ(checksummed[1023], 0);

  // Field k lands in sector k only: 0b10 in field 2, the rest zero.
  std::vector<std::uint8_t> one = Page();
  for (std::size_t k = 1; k < 16; ++k) one[512 * (k + 1) - 1] = 0xFF;
  Put(one, 4, kTornBitsFlag, 2);
  Put(one, 60, 0b10u << 4, 4);
  (void)CPage_Header(one);
  EXPECT_EQ(one[1535], 0xFE);
  EXPECT_EQ(one[1023], 0xFC);
}

// A torn-bit page whose flag was lost is known by its sector ends: all of
// sectors 1-15 end in the pattern the field's low bits name (1 or 2).
TEST(PageHeader, TornBitsGoBackWhenOnlyTheFlagIsLost) {
  struct Case {
    const char* name;
    std::uint16_t flags;
    std::uint32_t field;
    std::uint8_t sectorEnds;
    std::size_t odd;  // a sector (1-15) that ends in another byte; 0 for none
    bool recognised;
  };
  const Case cases[] = {
      {"pattern 1 in every sector", 0, 0xAAAAAAA9u, 0x01, 0, true},
      {"pattern 2 in every sector", 0, 0x55555556u, 0x02, 0, true},
      {"one sector in another pattern", 0, 0xAAAAAAA9u, 0x01, 9, false},
      {"pattern 0: a page without protection", 0, 0, 0x00, 0, false},
      {"checksum flag set", kPageChecksumFlag, 0xAAAAAAA9u, 0x01, 0, false},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> page = Page();
    Put(page, 4, c.flags, 2);
    Put(page, 60, c.field, 4);
    for (std::size_t k = 1; k < 16; ++k) page[512 * (k + 1) - 1] = c.sectorEnds;
    if (c.odd != 0) page[512 * (c.odd + 1) - 1] = 0x03;
    const CPage_Header h(page);
    EXPECT_EQ(h.tornBitsRecognised, c.recognised) << c.name;
    EXPECT_EQ(h.tornBitsRestored, c.recognised) << c.name;
    if (c.recognised) {
      EXPECT_EQ(page[1023], (c.field >> 2) & 0x3) << c.name;
    }
  }
}

TEST(PageHeader, ShortBufferDecodesWhatItHolds) {
  std::vector<std::uint8_t> page(40, 0);
  page[1] = 1;
  Put(page, 4, kTornBitsFlag, 2);
  const CPage_Header h(page);  // restore must not write past the buffer
  EXPECT_EQ(h.pageType, 1u);
  EXPECT_EQ(h.pageId.fileId, 0);
}

// Torn-page protection on real pages: names read wrong until the bits are back.
TEST(PageHeaderCorpus, TornPagesOfNorthwindReadCleanNames) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2000_northwind");
  ASSERT_TRUE(file);
  const std::vector<std::uint8_t> bytes = testing::ReadWholeFile(file->path);
  const std::string name(
      "P\0r\0o\0d\0u\0c\0t\0 \0S\0a\0l\0e\0s\0 \0f\0o\0r\0 \0"
      "1\0"
      "9\0"
      "9\0"
      "7\0",
      44);
  const std::string narrowName = "Product Sales for 1997";
  int restoredPages = 0;
  int namesMended = 0;
  for (std::size_t offset = 0; offset + kPageSize <= bytes.size(); offset += kPageSize) {
    std::vector<std::uint8_t> page(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                                   bytes.begin() + static_cast<std::ptrdiff_t>(offset + kPageSize));
    const std::string before(page.begin(), page.end());
    if (CPage_Header(page).tornBitsRestored) ++restoredPages;
    const std::string after(page.begin(), page.end());
    for (const std::string& n : {name, narrowName}) {
      if (before.find(n) == std::string::npos && after.find(n) != std::string::npos) ++namesMended;
    }
  }
  EXPECT_GT(restoredPages, 300);  // 333 of 416 pages carry torn bits
  EXPECT_GT(namesMended, 0);
}

}  // namespace
}  // namespace tessaril
