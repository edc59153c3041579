#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "storage/database_file.h"
#include "testing/test_files.h"
#include "testing/corpus.h"

namespace tessaril {
namespace {

namespace fs = std::filesystem;
using testing::MakeFile;
using testing::PageFields;

TEST(SecondaryFiles, CandidateIsTheRecordedNameBesideThePrimary) {
  struct Case {
    const char* recorded;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"D:\\data\\sales_2.ndf", "/db/sales_2.ndf"},
      {"x.dat", "/db/x.ndf"},
      {"C:\\a.b\\archive.2020.NDF", "/db/archive.2020.ndf"},
      {"C:\\data\\noext", "/db/noext"},
      {"C:\\data\\.ndf", "/db/.ndf"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SecondaryFileCandidate("/db/", c.recorded), c.expected) << c.recorded;
}

// A primary file (system pages only) and secondary files in one folder.
class SecondaryFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Write("main.mdf", MakeFile(std::vector<PageFields>(10, PageFields{1, 34, 1})));
    NullProgress progress;
    auto opened = DatabaseFile::Open((dir_.path() / "main.mdf").string(), false, progress, stop_);
    ASSERT_TRUE(opened.ok()) << opened.error();
    db_ = std::move(opened).value();
  }
  void Write(const char* name, const std::vector<std::uint8_t>& bytes) {
    testing::WriteWholeFile(dir_.path() / name, bytes);
  }
  // Data pages of unit (1977, 256), a system page of 2187 and an IAM page;
  // headers name file id headerFileId.
  static std::vector<std::uint8_t> SecondaryPages(std::uint16_t headerFileId) {
    std::vector<PageFields> pages(12, PageFields{1, 1977, 256, headerFileId});
    pages[0] = {15, 0, 0, headerFileId};
    pages[3] = {1, 2187, 0, headerFileId};
    pages[4] = {10, 1977, 256, headerFileId};
    pages[5] = {1, 34, 0, headerFileId};
    return MakeFile(pages);
  }

  // Page 0 of the pages becomes a file header page naming bindingByte's database.
  static std::vector<std::uint8_t> WithHeader(std::vector<std::uint8_t> pages,
                                              std::uint8_t bindingByte, std::uint16_t fileId) {
    const std::vector<std::uint8_t> header = testing::MakeFileHeaderPage(
        bindingByte, fileId, static_cast<std::uint32_t>(pages.size() / kPageSize));
    std::copy(header.begin(), header.end(), pages.begin());
    return pages;
  }
  // Opens main.mdf again with a file header page naming database 0xAA.
  void ReopenWithHeader() {
    Write("main.mdf",
          WithHeader(MakeFile(std::vector<PageFields>(10, PageFields{1, 34, 1})), 0xAA, 1));
    auto opened = DatabaseFile::Open((dir_.path() / "main.mdf").string(), false, progress_, stop_);
    ASSERT_TRUE(opened.ok()) << opened.error();
    db_ = std::move(opened).value();
    ASSERT_TRUE(db_->fileHeader());
  }

  testing::TempDir dir_;
  StopFlag stop_;
  std::unique_ptr<DatabaseFile> db_;
  NullProgress progress_;
};

TEST_F(SecondaryFilesTest, FileTableRowsAreFoundBesideThePrimaryInAnyCase) {
  std::vector<std::uint8_t> sales = SecondaryPages(2);
  std::fill_n(sales.begin() + 36 + 6 * 8192, 2, 9);  // one page naming another file is not trusted
  Write("SALES_2.ndf", sales);
  std::vector<SecondaryFile> table = {
      {0, 1, "main", "C:\\SQL\\main.mdf"},
      {0, 2, "sales", "D:\\Data\\sales_2.dat"},
      {0, 3, "gone", "D:\\Data\\gone.ndf"},
  };
  db_->DiscoverSecondaryFiles(table, progress_, stop_);
  ASSERT_EQ(db_->secondaryFiles().size(), 1u);
  const SecondaryFile& row = db_->secondaryFiles().at(2);
  EXPECT_EQ(fs::path(row.path).filename(), "SALES_2.ndf");
  EXPECT_EQ(row.pageCount, 12u);
  EXPECT_EQ(row.dataOffset, 0u);

  const PageInventory& inv = db_->inventory();
  const PageList& data = inv.dataPages.at(AllocationUnitId(1977, 256));
  EXPECT_EQ(data.size(), 8u);
  for (const PageEntry& e : data) EXPECT_EQ(e.fileId, 2);
  EXPECT_FALSE(inv.systemPages.count(2187));  // not a system id in secondary files
  EXPECT_TRUE(inv.dataPages.count(AllocationUnitId(2187, 0)));
  EXPECT_TRUE(inv.iamPages.empty());              // IAM pages of secondary files are not filed
  EXPECT_EQ(inv.systemPages.at(34).size(), 11u);  // 10 primary + 1 secondary

  const auto header = db_->ReadPageHeader({2, 6});
  ASSERT_TRUE(header);
  EXPECT_EQ(header->objectId, 1977);
  EXPECT_FALSE(db_->ReadRawPage({2, 13}));
  EXPECT_FALSE(db_->ReadRawPage({3, 1}));
}

// Extensions are a habit, not a rule: a file is taken by the file id its
// pages carry, under its recorded name, as .ndf, or anywhere in the folder.
TEST_F(SecondaryFilesTest, FilesAreTakenByTheFileIdTheirPagesCarry) {
  Write("data2.mdf", SecondaryPages(2));    // recorded as it is, extension and all
  Write("archive.ndf", SecondaryPages(7));  // the .ndf name of row 3, but file 7's pages
  Write("moved.bin", SecondaryPages(3));    // row 3's pages under another name
  std::vector<SecondaryFile> table = {
      {0, 2, "data2", "E:\\DATA\\data2.mdf"},
      {0, 3, "archive", "E:\\DATA\\archive.dat"},
      {0, 4, "gone", "E:\\DATA\\gone.ndf"},
  };
  db_->DiscoverSecondaryFiles(table, progress_, stop_);
  ASSERT_EQ(db_->secondaryFiles().size(), 2u);
  EXPECT_EQ(fs::path(db_->secondaryFiles().at(2).path).filename(), "data2.mdf");
  EXPECT_EQ(fs::path(db_->secondaryFiles().at(3).path).filename(), "moved.bin");
  EXPECT_EQ(table[1].pageCount, 12u);                         // the row is completed
  EXPECT_EQ(fs::path(table[2].path).filename(), "gone.ndf");  // where it was looked for
  EXPECT_EQ(table[2].pageCount, 0u);
}

TEST_F(SecondaryFilesTest, EmptyFileTableSearchesTheFolder) {
  std::vector<std::uint8_t> shifted = SecondaryPages(4);
  shifted.insert(shifted.begin(), 512, 0x55);  // found by the offset check
  Write("extra.NDF", shifted);
  Write("nodata.ndf", MakeFile({{15, 0, 0, 5}, {2, 34, 1, 5}}));  // no data page
  Write("notes.txt", SecondaryPages(6));
  fs::create_directory(dir_.path() / "folder.ndf");

  std::vector<SecondaryFile> table;
  db_->DiscoverSecondaryFiles(table, progress_, stop_);
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(table[0].fileId, 4);
  EXPECT_EQ(table[0].dataOffset, 512u);
  EXPECT_EQ(fs::path(table[0].path).filename(), "extra.NDF");
  ASSERT_TRUE(db_->secondaryFiles().count(4));
  const auto header = db_->ReadPageHeader({4, 7});
  ASSERT_TRUE(header);
  EXPECT_EQ(header->pageId, (PageId{4, 7}));
  // The file without a data page adds its pages, under their header file id, but no row.
  const PageList& system = db_->inventory().systemPages.at(34);  // 10 primary, 1 from nodata.ndf
  EXPECT_TRUE(
      std::any_of(system.begin(), system.end(), [](const PageEntry& e) { return e.fileId == 5; }));
  EXPECT_FALSE(db_->secondaryFiles().count(5));
  EXPECT_FALSE(db_->secondaryFiles().count(6));
}

// A folder can hold the files of several databases that use the same file
// ids: only the files whose header page names the primary file's database
// are taken by a search.
TEST_F(SecondaryFilesTest, SearchTakesOnlyFilesOfTheSameDatabase) {
  ReopenWithHeader();
  Write("other.ndf", WithHeader(SecondaryPages(3), 0xBB, 3));
  Write("mine.ndf", WithHeader(SecondaryPages(4), 0xAA, 4));
  Write("unnamed.ndf", SecondaryPages(5));  // no header page to tell
  std::vector<SecondaryFile> table;
  db_->DiscoverSecondaryFiles(table, progress_, stop_);
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(table[0].fileId, 4);
  EXPECT_EQ(fs::path(table[0].path).filename(), "mine.ndf");
  EXPECT_FALSE(db_->inventory().dataPages.empty());
  for (const PageEntry& e : db_->inventory().dataPages.at(AllocationUnitId(1977, 256))) {
    EXPECT_EQ(e.fileId, 4);  // nothing of the refused files was filed
  }

  // Rows of the file table: the recorded name refuses another database's
  // file; the folder gives the file of this one; a file whose header cannot
  // say is taken under its recorded name.
  ReopenWithHeader();
  Write("sales.ndf", WithHeader(SecondaryPages(2), 0xBB, 2));
  Write("copy.bin", WithHeader(SecondaryPages(2), 0xAA, 2));
  Write("plain.ndf", SecondaryPages(6));
  std::vector<SecondaryFile> rows = {
      {0, 2, "sales", "D:\\Data\\sales.ndf"},
      {0, 6, "plain", "D:\\Data\\plain.ndf"},
  };
  db_->DiscoverSecondaryFiles(rows, progress_, stop_);
  ASSERT_EQ(db_->secondaryFiles().size(), 2u);
  EXPECT_EQ(fs::path(db_->secondaryFiles().at(2).path).filename(), "copy.bin");
  EXPECT_EQ(fs::path(db_->secondaryFiles().at(6).path).filename(), "plain.ndf");
}

// A file named in the file table gets the alignment check the primary file
// gets: bytes appended or put before its pages do not shift them.
TEST_F(SecondaryFilesTest, NamedFilesAreReadWhereTheirPagesStart) {
  std::vector<std::uint8_t> padded = SecondaryPages(2);
  padded.insert(padded.end(), 4096, 0);
  Write("padded.ndf", padded);
  std::vector<std::uint8_t> shifted = SecondaryPages(3);
  shifted.insert(shifted.begin(), 512, 0x55);
  Write("shifted.ndf", shifted);
  std::vector<SecondaryFile> rows = {
      {0, 2, "padded", "D:\\Data\\padded.ndf"},
      {0, 3, "shifted", "D:\\Data\\shifted.ndf"},
  };
  db_->DiscoverSecondaryFiles(rows, progress_, stop_);
  ASSERT_EQ(db_->secondaryFiles().size(), 2u);
  EXPECT_EQ(db_->secondaryFiles().at(2).dataOffset, 0u);
  EXPECT_EQ(db_->secondaryFiles().at(3).dataOffset, 512u);
  for (const PageId id : {PageId{2, 7}, PageId{3, 7}}) {
    const auto header = db_->ReadPageHeader(id);
    ASSERT_TRUE(header) << ToString(id);
    EXPECT_EQ(header->pageId, id);
    EXPECT_EQ(header->objectId, 1977);
  }
}

}  // namespace
}  // namespace tessaril
