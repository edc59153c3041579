#include "storage/allocation_map.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "storage/database_file.h"
#include "storage/page_slots.h"
#include "testing/test_files.h"
#include "testing/corpus.h"

namespace tessaril {
namespace {

// An IAM page as SQL Server lays it out: the header record (90 bytes of
// data) at 96, the bitmap record at 190, the slot array at the end.
struct IamFields {
  PageId own{1, 300};
  std::uint16_t slotCount = 2;
  std::uint16_t bitmapSlotOffset = 190;
  std::uint16_t bitmapBytes = 7988;
  std::uint32_t sequenceNumber = 0;
  PageId startPage{1, 0};
  std::array<PageId, kSinglePageSlots> singles{};
  std::vector<std::size_t> bits;

  IamFields& Own(PageId id) { return own = id, *this; }
  IamFields& Start(PageId id) { return startPage = id, *this; }
  IamFields& Bits(std::vector<std::size_t> b) { return bits = std::move(b), *this; }
  IamFields& Slots(std::uint16_t n) { return slotCount = n, *this; }
  IamFields& BitmapAt(std::uint16_t offset) { return bitmapSlotOffset = offset, *this; }
  IamFields& BitmapBytes(std::uint16_t n) { return bitmapBytes = n, *this; }
};

void Put(std::vector<std::uint8_t>& page, std::size_t offset, std::uint64_t value, int width) {
  for (int i = 0; i < width; ++i) {
    page.at(offset + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

void PutPageId(std::vector<std::uint8_t>& page, std::size_t offset, PageId id) {
  Put(page, offset, static_cast<std::uint32_t>(id.pageNumber), 4);
  Put(page, offset + 4, id.fileId, 2);
}

std::vector<std::uint8_t> MakeIamPage(const IamFields& f) {
  std::vector<std::uint8_t> page =
      testing::MakePage({kIamPageType, 1977, 256, f.own.fileId, f.own.pageNumber});
  Put(page, 22, f.slotCount, 2);
  Put(page, 8190, 96, 2);
  Put(page, 8188, f.bitmapSlotOffset, 2);
  Put(page, 96 + 2, 4 + 90, 2);  // end of the header record's fixed part
  Put(page, 100, f.sequenceNumber, 4);
  PutPageId(page, 100 + 36, f.startPage);
  for (std::size_t k = 0; k < kSinglePageSlots; ++k)
    PutPageId(page, 100 + 42 + 6 * k, f.singles[k]);
  Put(page, 190 + 2, 4u + f.bitmapBytes, 2);
  for (const std::size_t bit : f.bits)
    page.at(194 + bit / 8) |= static_cast<std::uint8_t>(1 << (bit % 8));
  return page;
}

Extent ExtentAt(std::uint16_t fileId, std::int32_t first) {
  return {{fileId, first}, {fileId, first + 7}};
}

TEST(IamPage, ExtentsOfItsInterval) {
  constexpr std::int32_t kSecond = kAllocationIntervalPages;  // start of the second interval
  struct Case {
    const char* what;
    IamFields fields;
    FilePageCounts files;
    std::vector<Extent> expected;
    bool rejected = false;
  };
  const std::vector<Case> cases = {
      {"start page of file 3 names the interval",
       IamFields().Own({3, 511300}).Start({3, kSecond}).Bits({5}),
       {{1, 100}, {3, 600000}},
       {ExtentAt(3, 511272)}},
      {"file comes from the start page, not the page's own",
       IamFields().Own({1, 300}).Start({3, 0}).Bits({0, 1}),
       {{1, 400}, {3, 50}},
       {ExtentAt(3, 0), ExtentAt(3, 8)}},
      {"extents starting past the file's end ignored",
       IamFields().Start({1, 0}).Bits({2, 3, 4, 63903}),
       {{1, 28}},
       {ExtentAt(1, 16), ExtentAt(1, 24)}},
      {"last bit of a full bitmap",
       IamFields().Own({3, 511300}).Start({3, kSecond}).Bits({63903}),
       {{3, 2 * 511232}},
       {ExtentAt(3, kSecond + 511224)}},
      {"unknown file gives none", IamFields().Start({4, 0}).Bits({1}), {{1, 400}}, {}},
      {"one slot only", IamFields().Slots(1).Bits({1}), {{1, 400}}, {}},
      {"bitmap record without data", IamFields().BitmapBytes(0).Bits({1}), {{1, 400}}, {}},
      {"bitmap slot inside the page header", IamFields().BitmapAt(50).Bits({1}), {{1, 400}}, {}},
      {"slot count past the limit: no header either",
       IamFields().Slots(5000).Bits({1}),
       {{1, 400}},
       {},
       true},
      {"start page off an interval boundary falls back to where the page lies",
       IamFields().Own({1, 600000}).Start({3, 100}).Bits({0}),
       {{1, 700000}, {3, 700000}},
       {ExtentAt(1, kSecond)},
       true},
      {"start page in file 0 falls back",
       IamFields().Own({1, 300}).Start({0, 0}).Bits({1}),
       {{1, 400}},
       {ExtentAt(1, 8)},
       true},
  };
  for (const Case& c : cases) {
    const std::vector<std::uint8_t> bytes = MakeIamPage(c.fields);
    const IamPage iam{ByteView(bytes)};
    EXPECT_EQ(iam.Extents(c.files), c.expected) << c.what;
    EXPECT_EQ(iam.startPageRejected, c.rejected) << c.what;
  }
}

TEST(IamPage, HeaderAndListedPages) {
  IamFields fields = IamFields().Start({1, 0}).Bits({2});
  fields.sequenceNumber = 3;
  fields.singles = {PageId{1, 40}, PageId{}, PageId{3, 77}, PageId{1, 999}, PageId{5, 2}};
  const std::vector<std::uint8_t> bytes = MakeIamPage(fields);
  const IamPage iam{ByteView(bytes)};
  EXPECT_EQ(iam.pageId(), (PageId{1, 300}));
  EXPECT_EQ(iam.sequenceNumber, 3u);
  EXPECT_EQ(iam.startPage, (PageId{1, 0}));
  EXPECT_EQ(iam.bitCount(), 7988u * 8);
  EXPECT_EQ(iam.SinglePages(), (std::vector<PageId>{{1, 40}, {3, 77}, {1, 999}, {5, 2}}));
  // Single pages outside their file (1:999) or in no known file (5:2) are not listed.
  const std::vector<PageId> expected = {{1, 40}, {3, 77}, {1, 16}, {1, 17}, {1, 18},
                                        {1, 19}, {1, 20}, {1, 21}, {1, 22}, {1, 23}};
  EXPECT_EQ(iam.ListedPages({{1, 400}, {3, 100}}), expected);

  // One slot: the header still gives the single pages; the bitmap gives nothing.
  fields.slotCount = 1;
  const std::vector<std::uint8_t> single = MakeIamPage(fields);
  const IamPage headerOnly{ByteView(single)};
  EXPECT_EQ(headerOnly.bitCount(), 0u);
  EXPECT_EQ(headerOnly.ListedPages({{1, 400}, {3, 100}}), (std::vector<PageId>{{1, 40}, {3, 77}}));
}

// Whether each page of the first PFS interval is allocated: the PFS page at
// position 1 keeps one byte per page (bit 0x40: allocated) in the data of its
// only record.
std::vector<bool> AllocatedPages(const DatabaseFile& db) {
  constexpr std::size_t kPfsInterval = 8088;
  std::vector<bool> allocated;
  const std::optional<HeaderedPage> pfs = db.ReadPage({1, 1});
  if (!pfs || pfs->header.pageType != 11) return allocated;
  const ByteView page(pfs->bytes);
  const std::vector<std::uint16_t> slots = ReadSlotArray(page, pfs->header.slotCount);
  if (slots.empty()) return allocated;
  const ByteView body = page.Sub(std::size_t{slots[0]} + 4, kPfsInterval);
  for (std::size_t i = 0; i < body.size(); ++i) allocated.push_back((body.At(i) & 0x40) != 0);
  return allocated;
}

// SQL Server 2000 headers name the table with index id 0 on every data page,
// while the IAM page of a clustered table carries index id 1.
bool Covers(std::uint64_t iamUnit, std::uint64_t dataUnit) {
  return iamUnit == dataUnit ||
         (UnitIndexId(dataUnit) == 0 && iamUnit == AllocationUnitId(UnitObjectId(dataUnit), 1));
}

// The IAM pages of a unit and the inventory's data pages of that unit agree on
// every page the PFS marks allocated. They differ only on free pages: a page
// that was freed keeps its old header, so it is still filed under its former
// unit, and it may lie in an extent that now belongs to another unit.
TEST(IamPageCorpus, IamPagesListEveryAllocatedDataPageOfTheirUnit) {
  TESSARIL_REQUIRE_CORPUS();
  const std::vector<testing::CorpusFile> files = testing::CorpusFiles();
  ASSERT_FALSE(files.empty());
  for (const testing::CorpusFile& f : files) {
    NullProgress progress;
    StopFlag stop;
    auto opened = DatabaseFile::Open(f.path.string(), false, progress, stop);
    ASSERT_TRUE(opened.ok()) << f.dir;
    const DatabaseFile& db = **opened;
    const std::vector<bool> allocated = AllocatedPages(db);
    ASSERT_GT(allocated.size(), db.pageCount()) << f.dir << ": one PFS page covers the file";
    const FilePageCounts counts = PageCountsOf(db);

    std::map<PageId, std::uint64_t> dataUnit;
    for (const auto& [unit, list] : db.inventory().dataPages) {
      for (const PageEntry& e : list) dataUnit[e.id()] = unit;
    }
    std::map<PageId, std::set<std::uint64_t>> listedBy;
    for (const auto& [unit, list] : db.inventory().iamPages) {
      for (const PageEntry& e : list) {
        const std::optional<HeaderedPage> page = db.ReadPage(e.id());
        ASSERT_TRUE(page) << f.dir << " " << ToString(e.id());
        const IamPage iam{ByteView(page->bytes)};
        EXPECT_FALSE(iam.startPageRejected) << f.dir << " " << ToString(e.id());
        for (const PageId& p : iam.ListedPages(counts)) listedBy[p].insert(unit);
      }
    }

    const auto isAllocated = [&](PageId p) {
      return p.fileId == 1 && static_cast<std::size_t>(p.pageNumber) < allocated.size() &&
             allocated[static_cast<std::size_t>(p.pageNumber)];
    };
    std::size_t agreed = 0;
    for (const auto& [page, unit] : dataUnit) {
      const auto owners = listedBy.find(page);
      bool listed = false;
      if (owners != listedBy.end()) {
        for (const std::uint64_t owner : owners->second) listed = listed || Covers(owner, unit);
      }
      if (listed) ++agreed;
      EXPECT_TRUE(listed || !isAllocated(page))
          << f.dir << ": allocated data page " << ToString(page) << " of unit " << unit
          << " is not listed by the unit's IAM pages";
    }
    for (const auto& [page, owners] : listedBy) {
      const auto unit = dataUnit.find(page);
      if (unit == dataUnit.end() || !isAllocated(page)) continue;
      for (const std::uint64_t owner : owners) {
        EXPECT_TRUE(Covers(owner, unit->second))
            << f.dir << ": allocated data page " << ToString(page) << " of unit " << unit->second
            << " is listed by the IAM pages of unit " << owner;
      }
    }
    EXPECT_GT(agreed, 0u) << f.dir;
  }
}

}  // namespace
}  // namespace tessaril
