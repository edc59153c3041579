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
  std::vector<std::uint8_t> random(12 * kPageSize);
  std::uint32_t seed = 7;
  for (std::uint8_t& b : random) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>(seed >> 16);
  }
  // Random bytes whose object ids and index ids look like system table pages.
  std::vector<std::uint8_t> lookalike = random;
  for (std::size_t page = 0; page < 12; ++page) {
    lookalike[page * kPageSize + 6] = 0;
    lookalike[page * kPageSize + 7] = 0;
    testing::SetU32(lookalike, page * kPageSize + 24, 34);
  }
  struct Case {
    const char* name;
    std::string path;
    const char* message;
    bool notADataFile;  // the detail says the bytes are no data file
  };
  const std::vector<Case> cases = {
      {"missing file", (dir.path() / "missing.mdf").string(), kFileCannotOpenText, false},
      {"directory", dir.path().string(), kFileCannotOpenText, false},
      {"empty file", write("empty.mdf", {}), kInvalidFileText, true},
      {"shorter than a page", write("short.mdf", std::vector<std::uint8_t>(8191, 1)),
       kInvalidFileText, true},
      {"no system table page", write("user.mdf", MakeFile({{}, {1, 1977, 256}, {1, 1977, 256}})),
       kInvalidFileText, false},
      {"all zeros", write("zeros.mdf", std::vector<std::uint8_t>(10 * kPageSize, 0)),
       kInvalidFileText, true},
      {"random bytes", write("random.mdf", random), kInvalidFileText, true},
      {"system-looking random bytes", write("lookalike.mdf", lookalike), kInvalidFileText, true},
  };
  for (const Case& c : cases) {
    for (const InventoryMode mode : {InventoryMode::kMap, InventoryMode::kSkip}) {
      const auto db = OpenPath(c.path, mode);
      if (mode == InventoryMode::kSkip && !c.notADataFile && c.message == kInvalidFileText) {
        continue;  // without the inventory, a missing system table is not looked for
      }
      ASSERT_FALSE(db.ok()) << c.name;
      EXPECT_EQ(db.error(), c.message) << c.name;
      EXPECT_EQ(db.failure().detail.rfind(kNotADataFileText, 0) == 0, c.notADataFile)
          << c.name << ": " << db.failure().detail;
    }
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

// Page 0 counts the pages of the file: every corpus file holds them all, and
// a copy cut short misses the difference.
TEST(DatabaseFileCorpus, FileHeaderCountsThePagesOfTheFile) {
  TESSARIL_REQUIRE_CORPUS();
  for (const auto& f : testing::CorpusFiles()) {
    auto db = OpenPath(f.path.string(), InventoryMode::kSkip);
    ASSERT_TRUE(db.ok()) << f.dir;
    const auto& header = (*db)->fileHeader();
    ASSERT_TRUE(header) << f.dir;
    EXPECT_EQ(header->sizeInPages, (*db)->pageCount()) << f.dir;
    EXPECT_EQ(header->fileId, 1) << f.dir;
    EXPECT_TRUE(header->HasBindingId()) << f.dir;
    EXPECT_EQ((*db)->missingPageCount(), 0u) << f.dir;
  }
  const auto pubs = testing::FindCorpusFile("sql2008_pubs");
  ASSERT_TRUE(pubs);
  std::vector<std::uint8_t> bytes = testing::ReadWholeFile(pubs->path);
  const std::size_t kept = bytes.size() / kPageSize * 7 / 10;
  bytes.resize(kept * kPageSize);
  testing::TempDir dir;
  testing::WriteWholeFile(dir.path() / "cut.mdf", bytes);
  auto cut = OpenPath((dir.path() / "cut.mdf").string());
  ASSERT_TRUE(cut.ok());
  EXPECT_EQ((*cut)->missingPageCount(), pubs->bytes / kPageSize - kept);
}

}  // namespace
}  // namespace tessaril
