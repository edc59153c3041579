#include "storage/page_inventory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "storage/database_file.h"
#include "testing/corpus.h"
#include "testing/test_files.h"

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

// A sparse file maps as the same file with its holes written out as zeros:
// the pages of a hole are counted as empty pages without being read.
TEST(PageInventory, HolesOfASparseFileMapAsZeroPages) {
  TESSARIL_REQUIRE_CORPUS();
  const auto source = testing::FindCorpusFile("sql2008_pubs");
  ASSERT_TRUE(source);
  const std::vector<std::uint8_t> pages = testing::ReadWholeFile(source->path);
  // The copy's pages again after a hole of 1000 pages, and a hole at the end.
  const std::uint64_t second = pages.size() + 1000 * kPageSize;
  const std::uint64_t size = second + pages.size() + 777 * kPageSize;
  testing::TempDir dir;
  const std::string sparse = (dir.path() / "sparse.mdf").string();
  const std::string dense = (dir.path() / "dense.mdf").string();
  {
    std::ofstream out(sparse, std::ios::binary);
    out.write(reinterpret_cast<const char*>(pages.data()),
              static_cast<std::streamsize>(pages.size()));
    out.seekp(static_cast<std::streamoff>(second));
    out.write(reinterpret_cast<const char*>(pages.data()),
              static_cast<std::streamsize>(pages.size()));
  }
  std::filesystem::resize_file(sparse, size);
  std::vector<std::uint8_t> zeros(static_cast<std::size_t>(size), 0);
  std::copy(pages.begin(), pages.end(), zeros.begin());
  std::copy(pages.begin(), pages.end(), zeros.begin() + static_cast<std::ptrdiff_t>(second));
  testing::WriteWholeFile(dense, zeros);

  struct Mapped {
    PageInventory inventory;
    MappingResult result;
  };
  const auto map = [](const std::string& path) {
    Mapped m;
    Result<ReadOnlyFile> file = ReadOnlyFile::Open(path);
    EXPECT_TRUE(file);
    if (!file) return m;
    NullProgress progress;
    StopFlag stop;
    m.result = MapFilePages(*file, 0, file->size() / kPageSize, 1, {PrimarySystemObjectIds(), true},
                            m.inventory, progress, stop);
    return m;
  };
  Result<ReadOnlyFile> opened = ReadOnlyFile::Open(sparse);
  ASSERT_TRUE(opened);
  const std::optional<std::uint64_t> data = opened->NextDataOffset(pages.size() + kPageSize);
  if (!data || *data <= pages.size() + kPageSize) GTEST_SKIP() << "this file system keeps no holes";
  const Mapped a = map(sparse);
  const Mapped b = map(dense);
  EXPECT_EQ(a.result.pageTypeCounts, b.result.pageTypeCounts);
  EXPECT_EQ(a.result.systemPages, b.result.systemPages);
  EXPECT_EQ(a.inventory.systemPages, b.inventory.systemPages);
  EXPECT_EQ(a.inventory.dataPages, b.inventory.dataPages);
  EXPECT_EQ(a.inventory.iamPages, b.inventory.iamPages);
  EXPECT_GT(a.result.pageTypeCounts[0], 1000u);
}

}  // namespace
}  // namespace tessaril
