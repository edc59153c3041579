// Record pages of the real files in the corpus.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/unicode.h"
#include "records/record_page.h"
#include "storage/page_slots.h"
#include "testing/corpus.h"

namespace tessaril {
namespace {

std::unique_ptr<DatabaseFile> Open(const testing::CorpusFile& f) {
  NullProgress progress;
  StopFlag stop;
  auto db = DatabaseFile::Open(f.path.string(), false, progress, stop);
  EXPECT_TRUE(db.ok()) << f.dir;
  return db.ok() ? std::move(db).value() : nullptr;
}

// Every data page in every file: each slot yields a valid record. Old disk
// contents in unallocated space can carry a data page's type byte; they name
// some other page, or none, and must yield no valid record.
TEST(RecordPageCorpus, EveryDataPageDecodesWithoutInvalidRecords) {
  TESSARIL_REQUIRE_CORPUS();
  for (const auto& f : testing::CorpusFiles()) {
    const auto db = Open(f);
    if (!db) continue;
    std::size_t records = 0;
    for (const auto& [unit, pages] : db->inventory().dataPages) {
      for (const PageEntry& entry : pages) {
        auto page = db->ReadPage(entry.id());
        ASSERT_TRUE(page) << f.dir << " " << ToString(entry.id());
        if (page->header.headerVersion != 1 || page->header.pageId != entry.id()) {
          const PrimaryRecordPage remnant(std::move(*page), db.get(), {});
          for (const auto& r : remnant.records()) {
            EXPECT_TRUE(r == nullptr || r->isInvalid) << f.dir << " " << ToString(entry.id());
          }
          continue;
        }
        const PrimaryRecordPage decoded(std::move(*page), db.get(), {});
        EXPECT_TRUE(decoded.passesSanityCheck()) << f.dir << " " << ToString(entry.id());
        for (std::size_t slot = 0; slot < decoded.records().size(); ++slot) {
          const auto& r = decoded.records()[slot];
          if (r == nullptr) continue;
          ++records;
          EXPECT_FALSE(r->isInvalid) << f.dir << " page " << ToString(entry.id()) << " slot "
                                     << slot << " status " << int{r->statusA};
        }
      }
    }
    EXPECT_GT(records, 0u) << f.dir;
  }
}

// A deleted row keeps its bytes where it was; only its slot is gone.
TEST(RecordPageCorpus, CarvingBringsBackARowWhoseSlotWasRemoved) {
  TESSARIL_REQUIRE_CORPUS();
  const auto f = testing::FindCorpusFile("sql2008_pubs");
  ASSERT_TRUE(f);
  const auto db = Open(*f);
  ASSERT_TRUE(db);
  RecordOptions carve;
  carve.showDeletedRecords = true;
  carve.showAdvancedDeletedRecords = true;
  int pagesTried = 0;
  for (const auto& [unit, pages] : db->inventory().dataPages) {
    if (UnitIndexId(unit) < kFirstUserIndexId) continue;  // user tables only
    for (const PageEntry& entry : pages) {
      auto page = db->ReadPage(entry.id());
      ASSERT_TRUE(page);
      const std::uint16_t slotCount = page->header.slotCount;
      if (slotCount < 3) continue;
      // Remove the last slot: its offset leaves the array and the count drops by one.
      const std::size_t lastSlotAt = kPageSize - 2 * slotCount;
      const std::uint16_t removed =
          LoadU16(ByteView(page->bytes.data(), page->bytes.size()), lastSlotAt);
      page->bytes[lastSlotAt] = page->bytes[lastSlotAt + 1] = 0;
      page->bytes[22] = static_cast<std::uint8_t>(slotCount - 1);
      page->bytes[23] = static_cast<std::uint8_t>((slotCount - 1) >> 8);
      page->header = CPage_Header::Peek(page->bytes);
      const std::vector<std::uint8_t> original(page->bytes.begin() + removed,
                                               page->bytes.begin() + removed + 8);
      const PrimaryRecordPage carved(std::move(*page), db.get(), carve);
      ++pagesTried;
      const auto& offsets = carved.slotOffsets();
      const auto at = std::find(offsets.begin() + slotCount - 1, offsets.end(), removed);
      ASSERT_NE(at, offsets.end()) << "page " << ToString(entry.id()) << " row at " << removed;
      const auto& record = carved.records()[static_cast<std::size_t>(at - offsets.begin())];
      ASSERT_NE(record, nullptr);
      EXPECT_FALSE(record->isInvalid);
      EXPECT_TRUE(record->carved);
      EXPECT_EQ(std::vector<std::uint8_t>(record->bytes().data(), record->bytes().data() + 8),
                original);
    }
  }
  EXPECT_GT(pagesTried, 3);
}

// Names in the object table of a file with torn-page protection read clean.
TEST(RecordPageCorpus, TornPagesOfNorthwindDecodeToCleanNames) {
  TESSARIL_REQUIRE_CORPUS();
  const auto f = testing::FindCorpusFile("sql2000_northwind");
  ASSERT_TRUE(f);
  const auto db = Open(*f);
  ASSERT_TRUE(db);
  std::vector<std::string> names;
  for (const PageEntry& entry : db->inventory().systemPages.at(1)) {  // sysobjects
    auto page = db->ReadPage(entry.id());
    if (!page || page->header.pageType != 1) continue;
    const PrimaryRecordPage decoded(std::move(*page), db.get(), {});
    for (const auto& r : decoded.records()) {
      if (r == nullptr || r->isInvalid || r->values.empty()) continue;
      names.push_back(Utf16LeToUtf8(r->ValueBytes(r->values[0])));
    }
  }
  for (const char* name : {"Product Sales for 1997", "Sales by Category", "Order Details",
                           "Alphabetical list of products"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
  }
}

}  // namespace
}  // namespace tessaril
