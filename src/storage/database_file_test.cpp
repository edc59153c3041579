#include "storage/database_file.h"

#include <gtest/gtest.h>

#include <vector>

#include "testing/test_files.h"
#include "testing/corpus.h"

namespace tessaril {
namespace {

using testing::MakeFile;
using testing::PageFields;

// Requests a stop when the progress of the mapping pass reaches a position.
class StopAt final : public ProgressSink {
 public:
  StopAt(StopFlag& stop, std::uint64_t position) : stop_(stop), position_(position) {}
  void ProgressRange(std::uint64_t, std::uint64_t) override {}
  void ProgressPos(std::uint64_t position) override {
    if (mapping_ && position >= position_) stop_.Request();
  }
  void StatusText(std::string_view text) override { mapping_ = text == kMappingText; }

 private:
  StopFlag& stop_;
  std::uint64_t position_;
  bool mapping_ = false;
};

Result<std::unique_ptr<DatabaseFile>> OpenPath(const std::string& path,
                                               InventoryMode mode = InventoryMode::kMap) {
  NullProgress progress;
  StopFlag stop;
  return DatabaseFile::Open(path, false, progress, stop, mode);
}

TEST(DatabaseFile, UnusableFilesFailWithTheirMessage) {
  testing::TempDir dir;
  const auto write = [&](const char* name, const std::vector<std::uint8_t>& bytes) {
    testing::WriteWholeFile(dir.path() / name, bytes);
    return (dir.path() / name).string();
  };
  struct Case {
    const char* name;
    std::string path;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"missing file", (dir.path() / "missing.mdf").string(), kFileCannotOpenText},
      {"directory", dir.path().string(), kFileCannotOpenText},
      {"empty file", write("empty.mdf", {}), kInvalidFileText},
      {"shorter than a page", write("short.mdf", std::vector<std::uint8_t>(8191, 1)),
       kInvalidFileText},
      {"no system table page", write("user.mdf", MakeFile({{}, {1, 1977, 256}, {1, 1977, 256}})),
       kInvalidFileText},
      {"all zeros", write("zeros.mdf", std::vector<std::uint8_t>(10 * kPageSize, 0)),
       kInvalidFileText},
  };
  for (const Case& c : cases) {
    const auto db = OpenPath(c.path);
    ASSERT_FALSE(db.ok()) << c.name;
    EXPECT_EQ(db.error(), c.message) << c.name;
    EXPECT_FALSE(db.failure().detail.empty()) << c.name;
  }
}

// One page: the inventory covers positions 0 and 1; only page 1 can be read,
// and it reads as zeros (the bytes after the last whole page, zero-padded).
TEST(DatabaseFile, OnePageFileAndTheReadersBounds) {
  testing::TempDir dir;
  const auto path = (dir.path() / "one.mdf").string();
  testing::WriteWholeFile(path, MakeFile({{1, 7, 0}}));
  auto db = OpenPath(path);
  ASSERT_TRUE(db.ok()) << db.error();
  EXPECT_EQ((*db)->pageCount(), 1u);
  EXPECT_EQ((*db)->inventory().systemPages.at(7).size(), 1u);
  EXPECT_FALSE((*db)->ReadRawPage({1, 0}));
  const auto page1 = (*db)->ReadRawPage({1, 1});
  ASSERT_TRUE(page1);
  EXPECT_EQ(*page1, std::vector<std::uint8_t>(kPageSize, 0));
  EXPECT_FALSE((*db)->ReadRawPage({1, 2}));
  EXPECT_FALSE((*db)->ReadRawPage({1, -1}));
  EXPECT_FALSE((*db)->ReadRawPage({3, 100}));  // no file 3
}

TEST(DatabaseFile, ReadsPagesWhereTheOffsetCheckPutThem) {
  testing::TempDir dir;
  std::vector<std::uint8_t> bytes = MakeFile(std::vector<PageFields>(20, PageFields{1, 34, 1}));
  bytes.insert(bytes.begin(), 512, 0xEE);
  const auto path = (dir.path() / "shifted.mdf").string();
  testing::WriteWholeFile(path, bytes);
  auto db = OpenPath(path);
  ASSERT_TRUE(db.ok()) << db.error();
  EXPECT_EQ((*db)->dataOffset(), 512u);
  const auto header = (*db)->ReadPageHeader({1, 13});
  ASSERT_TRUE(header);
  EXPECT_EQ(header->pageId.pageNumber, 13);
  EXPECT_EQ(header->objectId, 34);
  EXPECT_EQ((*db)->inventory().systemPages.at(34).size(), 20u);
}

TEST(DatabaseFile, StopDuringMappingKeepsWhatWasMapped) {
  testing::TempDir dir;
  const auto path = (dir.path() / "stop.mdf").string();
  testing::WriteWholeFile(path, MakeFile(std::vector<PageFields>(400, PageFields{1, 34, 1})));
  StopFlag stop;
  StopAt progress(stop, 100);
  auto db = DatabaseFile::Open(path, false, progress, stop);
  ASSERT_TRUE(db.ok()) << db.error();
  EXPECT_TRUE((*db)->mappingStopped());
  const std::size_t mapped = (*db)->inventory().systemPages.at(34).size();
  EXPECT_GE(mapped, 100u);
  EXPECT_LT(mapped, 400u);
  EXPECT_FALSE(stop.requested());  // cleared when the file set is complete

  stop.Request();  // a stop before the first page leaves nothing to scan
  NullProgress quiet;
  auto stopped = DatabaseFile::Open(path, false, quiet, stop);
  EXPECT_FALSE(stopped.ok());
  EXPECT_FALSE(stop.requested());
}

TEST(DatabaseFile, WithoutInventoryAnyPageCanStillBeRead) {
  testing::TempDir dir;
  const auto path = (dir.path() / "user.mdf").string();
  testing::WriteWholeFile(path, MakeFile({{}, {1, 1977, 256}, {1, 1977, 256}}));
  auto db = OpenPath(path, InventoryMode::kSkip);
  ASSERT_TRUE(db.ok()) << db.error();
  EXPECT_EQ((*db)->inventory().entryCount(), 0u);
  const auto header = (*db)->ReadPageHeader({1, 2});
  ASSERT_TRUE(header);
  EXPECT_EQ(header->objectId, 1977);
}

TEST(DatabaseFile, TextPageLocationUndoesAConstantShift) {
  testing::TempDir dir;
  const auto path = (dir.path() / "text.mdf").string();
  std::vector<PageFields> pages(30, PageFields{3, 34, 0});
  for (std::size_t i = 0; i < pages.size(); ++i)
    pages[i].pageNumber = static_cast<std::int32_t>(i + 2);
  pages[8].pageNumber = 8;  // lets the offset check settle on offset 0
  testing::WriteWholeFile(path, MakeFile(pages, true));
  auto db = OpenPath(path);
  ASSERT_TRUE(db.ok()) << db.error();
  // Page 20 says it is 22: the file is taken as shifted by 2, so 18 is read.
  EXPECT_EQ((*db)->TextPageLocation({1, 20}), (PageId{1, 18}));
  EXPECT_EQ((*db)->TextPageLocation({1, 8}), (PageId{1, 8}));
  EXPECT_EQ((*db)->TextPageLocation({1, 999}), (PageId{1, 999}));  // unreadable: unchanged
}

TEST(DatabaseFileCorpus, BootPageOfEveryFileReadsBack) {
  TESSARIL_REQUIRE_CORPUS();
  for (const auto& f : testing::CorpusFiles()) {
    auto db = OpenPath(f.path.string());
    ASSERT_TRUE(db.ok()) << f.dir;
    const auto boot = (*db)->ReadPage({1, 9});
    ASSERT_TRUE(boot) << f.dir;
    EXPECT_EQ(boot->header.pageType, 13u) << f.dir;
    EXPECT_EQ(boot->header.pageId, (PageId{1, 9})) << f.dir;
  }
}

}  // namespace
}  // namespace tessaril
