#include "storage/inventory_cache.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "storage/database_file.h"
#include "testing/corpus.h"

namespace tessaril {
namespace {

std::unique_ptr<DatabaseFile> OpenWithCache(const std::string& path, const std::string& folder) {
  NullProgress progress;
  StopFlag stop;
  auto db = DatabaseFile::Open(path, false, progress, stop, InventoryMode::kMap, folder);
  return db ? std::move(db).value() : nullptr;
}

bool SameInventory(const PageInventory& a, const PageInventory& b) {
  return a.systemPages == b.systemPages && a.dataPages == b.dataPages && a.iamPages == b.iamPages &&
         a.keyedByObjectOnly == b.keyedByObjectOnly;
}

// A copy of a corpus file, opened once through an empty cache folder: the
// entry written then is what the next open reads, and a changed file or a
// damaged entry is mapped afresh.
class InventoryCache : public ::testing::Test {
 protected:
  void SetUp() override {
    TESSARIL_REQUIRE_CORPUS();
    const auto file = testing::FindCorpusFile("sql2008_pubs");
    ASSERT_TRUE(file);
    path_ = (dir_.path() / "data" / file->file).string();
    std::filesystem::create_directories(dir_.path() / "data");
    std::filesystem::copy_file(file->path, path_);
    folder_ = (dir_.path() / "cache").string();
    mapped_ = OpenWithCache(path_, folder_);
    ASSERT_TRUE(mapped_);
  }

  // The entry for the file as it is now, with one page type count changed so
  // that an open that takes it can be told from one that maps the file.
  void StoreMarkedEntry() {
    Result<ReadOnlyFile> file = ReadOnlyFile::Open(path_);
    ASSERT_TRUE(file);
    const auto key = KeyOfFile(path_, *file, mapped_->dataOffset());
    ASSERT_TRUE(key);
    CachedInventory marked{mapped_->inventory(), mapped_->pageTypeCounts()};
    marked.pageTypeCounts[kMarkedType] = 7;
    marked.inventory.protectionFailures = {kMarkedFailure};
    ProtectedFiles protectedFiles;
    protectedFiles.AddDataFile(path_);
    ASSERT_TRUE(StoreCachedInventory(folder_, *key, marked, protectedFiles).ok());
  }

  static constexpr std::size_t kMarkedType = 200;  // no page has this type
  static constexpr PageId kMarkedFailure{1, 77};     // a page that failed its checksum
  testing::TempDir dir_;
  std::string path_;
  std::string folder_;
  std::unique_ptr<DatabaseFile> mapped_;
};

TEST_F(InventoryCache, SecondOpenTakesTheEntryWrittenByTheFirst) {
  // One entry, in the cache folder, and nothing new beside the data file.
  ASSERT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 1);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path() / "data"), {}), 1);
  StoreMarkedEntry();
  const auto again = OpenWithCache(path_, folder_);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->pageTypeCounts()[kMarkedType], 7u);
  EXPECT_EQ(again->inventory().protectionFailures, std::vector<PageId>{kMarkedFailure});
  EXPECT_TRUE(SameInventory(again->inventory(), mapped_->inventory()));
  // Without a cache folder the file is mapped.
  const auto uncached = OpenWithCache(path_, "");
  ASSERT_TRUE(uncached);
  EXPECT_EQ(uncached->pageTypeCounts()[kMarkedType], 0u);
}

TEST_F(InventoryCache, ChangedFileOrDamagedEntryIsMappedAfresh) {
  struct Case {
    const char* name;
    void (*change)(const std::string& path, const std::string& entryFolder);
  };
  const Case cases[] = {
      {"file touched",
       [](const std::string& path, const std::string&) {
         std::filesystem::last_write_time(
             path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));
       }},
      {"entry cut short",
       [](const std::string&, const std::string& folder) {
         for (const auto& entry : std::filesystem::directory_iterator(folder)) {
           std::filesystem::resize_file(entry.path(), std::filesystem::file_size(entry.path()) - 3);
         }
       }},
      {"entry overwritten",
       [](const std::string&, const std::string& folder) {
         for (const auto& entry : std::filesystem::directory_iterator(folder)) {
           std::ofstream(entry.path(), std::ios::binary | std::ios::trunc) << "TSRLINV\x02garbage";
         }
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StoreMarkedEntry();
    c.change(path_, folder_);
    const auto reopened = OpenWithCache(path_, folder_);
    ASSERT_TRUE(reopened);
    EXPECT_EQ(reopened->pageTypeCounts()[kMarkedType], 0u);
    EXPECT_TRUE(SameInventory(reopened->inventory(), mapped_->inventory()));
  }
}

}  // namespace
}  // namespace tessaril
