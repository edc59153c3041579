#include "storage/page_inventory.h"

#include <gtest/gtest.h>

#include <vector>

#include "storage/database_file.h"
#include "testing/test_files.h"
#include "testing/corpus.h"

namespace tessaril {
namespace {

struct Filed {
  bool system;
  bool data;
  bool iam;
};

Filed FileOne(const testing::PageFields& fields, const PageInventory::Filing& filing) {
  PageInventory inventory;
  const std::vector<std::uint8_t> page = testing::MakePage(fields);
  const bool system =
      inventory.File(0, 5, ReadInventoryHeader(ByteView(page.data(), page.size())), filing);
  EXPECT_EQ(system, !inventory.systemPages.empty());
  return {system, !inventory.dataPages.empty(), !inventory.iamPages.empty()};
}

TEST(PageInventory, FilesEachPageByItsAllocationUnit) {
  const PageInventory::Filing primary{PrimarySystemObjectIds(), true};
  const PageInventory::Filing secondary{SecondarySystemObjectIds(), false};
  struct Case {
    const char* name;
    testing::PageFields page;
    const PageInventory::Filing& filing;
    Filed expected;
  };
  const std::vector<Case> cases = {
      {"system data page", {1, 34, 0}, primary, {true, true, false}},
      {"system index page", {2, 34, 1}, primary, {true, false, false}},
      {"user unit sharing a system object id", {1, 34, 256}, primary, {false, true, false}},
      {"user data page", {1, 1977, 256}, primary, {false, true, false}},
      {"IAM page", {10, 1977, 256}, primary, {false, false, true}},
      {"IAM page of a secondary file", {10, 1977, 256}, secondary, {false, false, false}},
      {"2187 is a system id only in the primary file",
       {1, 2187, 0},
       secondary,
       {false, true, false}},
      {"2187 in the primary file", {1, 2187, 0}, primary, {true, true, false}},
      {"zero page", {0, 0, 0}, primary, {false, false, false}},
      {"negative object id", {1, -5, 0}, primary, {false, false, false}},
  };
  for (const Case& c : cases) {
    const Filed filed = FileOne(c.page, c.filing);
    EXPECT_EQ(filed.system, c.expected.system) << c.name;
    EXPECT_EQ(filed.data, c.expected.data) << c.name;
    EXPECT_EQ(filed.iam, c.expected.iam) << c.name;
  }
}

TEST(PageInventory, EntriesKeepPositionTypeAndIndexId) {
  PageInventory inventory;
  const std::vector<std::uint8_t> page = testing::MakePage({1, 34, 256, 7, 999});
  inventory.File(0, 12, ReadInventoryHeader(ByteView(page.data(), page.size())),
                 {PrimarySystemObjectIds(), true});
  const PageList& list = inventory.dataPages.at(AllocationUnitId(34, 256));
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].pageNumber, 12u);  // the position, not the stored number
  EXPECT_EQ(list[0].fileId, 7);        // 0 keeps the header's file id
  EXPECT_EQ(list[0].type(), 1);
  EXPECT_EQ(list[0].indexId(), 256);
  EXPECT_EQ(inventory.DataPagesOfObject(34).size(), 1u);
  EXPECT_TRUE(inventory.DataPagesOfObject(35).empty());
}

class InventoryCorpus : public ::testing::Test {
 protected:
  static std::unique_ptr<DatabaseFile> Open(const testing::CorpusFile& f) {
    NullProgress progress;
    StopFlag stop;
    Result<std::unique_ptr<DatabaseFile>> db =
        DatabaseFile::Open(f.path.string(), false, progress, stop);
    EXPECT_TRUE(db.ok()) << f.dir << ": " << (db.ok() ? "" : db.error());
    return db.ok() ? std::move(db).value() : nullptr;
  }
};

TEST_F(InventoryCorpus, EveryFileMapsItsSystemTables) {
  TESSARIL_REQUIRE_CORPUS();
  for (const auto& f : testing::CorpusFiles()) {
    const auto db = Open(f);
    if (!db) continue;
    EXPECT_EQ(db->dataOffset(), 0u) << f.dir;
    EXPECT_EQ(db->pageCount(), f.bytes / kPageSize) << f.dir;
    const PageInventory& inv = db->inventory();
    // Every file has its object table: 34 (2005 and later) or 1 (2000).
    const std::int32_t objectTable = f.formatVersion < 600 ? 1 : 34;
    EXPECT_TRUE(inv.systemPages.count(objectTable)) << f.dir;
    for (const auto& [objectId, list] : inv.systemPages) {
      for (const PageEntry& e : list) {
        EXPECT_LT(e.indexId(), kFirstUserIndexId) << f.dir << " object " << objectId;
        EXPECT_EQ(e.fileId, 1) << f.dir;
      }
    }
    // Every page type was counted once, including the position after the last page.
    std::uint64_t counted = 0;
    for (std::uint64_t n : db->pageTypeCounts()) counted += n;
    EXPECT_EQ(counted, db->pageCount() + 1) << f.dir;
  }
}

// A user allocation unit whose header object id is 34 sits beside the object
// table's own pages; it must not be read as part of the object table.
TEST_F(InventoryCorpus, UserUnitWithSystemObjectIdStaysOutOfSystemMap) {
  TESSARIL_REQUIRE_CORPUS();
  const auto f = testing::FindCorpusFile("sql2008_pubs");
  ASSERT_TRUE(f);
  const auto db = Open(*f);
  ASSERT_TRUE(db);
  const PageInventory& inv = db->inventory();
  const auto user = inv.dataPages.find(AllocationUnitId(34, 256));
  ASSERT_NE(user, inv.dataPages.end());
  ASSERT_FALSE(user->second.empty());
  for (const PageEntry& userPage : user->second) {
    for (const PageEntry& systemPage : inv.systemPages.at(34)) {
      EXPECT_NE(userPage.pageNumber, systemPage.pageNumber);
    }
  }
  // And the object table's data pages are not in the user unit's list.
  EXPECT_TRUE(inv.dataPages.count(AllocationUnitId(34, 1)));
}

}  // namespace
}  // namespace tessaril
