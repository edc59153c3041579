// A real table grown past the size its file was made for: copies of its leaf
// pages appended after the file's last page and linked into its page chain.
// The file's own PFS page covers the first copies and reads them as free
// (their bytes lie past the end the file header records); their rows must
// still come back as live rows, by the page chain and by the collected list.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "session/table_reader.h"
#include "testing/corpus.h"
#include "testing/grown_file.h"
#include "testing/opened_scan.h"
#include "testing/row_texts.h"

namespace tessaril {
namespace {

using Rows = std::vector<std::vector<std::string>>;

struct TableRows {
  Rows live;
  std::size_t deleted = 0;
  std::vector<PageId> pages;  // the pages walked, in walk order
  PageStrategy strategy = PageStrategy::kCollectedList;
  std::vector<std::string> walked;  // each row's place, origin and texts, in walk order
  WalkDamage damage;
};

TableRows ReadRows(const std::string& path, const char* table, ReadSettings settings,
                   unsigned threads = DefaultReadAheadThreads()) {
  TableRows out;
  const ScanSnapshot scan = testing::OpenScan(path, settings);
  if (!scan) return out;
  const Result<const CatalogObject*> object =
      FindObjectByName(scan->catalog, table, NameScope::kTables);
  if (!object) return out;
  Result<std::unique_ptr<TableReader>> reader = TableReader::Open(scan, (*object)->id);
  if (!reader) return out;
  (*reader)->SetReadAheadThreads(threads);
  ScanEvents quiet;
  (*reader)->ForEachPage(quiet, [&](const GridPage& page) {
    for (const RenderedRow& row : page.rows) {
      std::string walked = ToString(row.id.page) + "/" + std::to_string(row.id.slot) + " " +
                           RowOriginName(row.origin);
      for (const std::string& text : testing::ShownTexts(row)) walked += "|" + text;
      out.walked.push_back(std::move(walked));
      if (row.deleted()) {
        ++out.deleted;
      } else {
        out.live.push_back(testing::ShownTexts(row));
      }
    }
    return true;
  });
  out.pages = (*reader)->pager().pageList();
  out.strategy = (*reader)->pager().strategy();
  out.damage = (*reader)->pager().damage();
  return out;
}

std::vector<std::uint8_t> GrowFile(const std::vector<std::uint8_t>& source,
                                   const testing::GrownFile& grown) {
  std::vector<std::uint8_t> bytes(grown.pageCount() * kPageSize);
  for (std::uint64_t position = 0; position < grown.pageCount(); ++position) {
    const auto from =
        source.begin() + static_cast<std::ptrdiff_t>(grown.SourcePageAt(position) * kPageSize);
    const auto to = bytes.begin() + static_cast<std::ptrdiff_t>(position * kPageSize);
    std::copy(from, from + kPageSize, to);
    grown.Patch(position, std::span(bytes).subspan(position * kPageSize, kPageSize));
  }
  return bytes;
}

Rows Repeated(const Rows& rows, std::size_t times) {
  Rows all;
  for (std::size_t i = 0; i < times; ++i) all.insert(all.end(), rows.begin(), rows.end());
  std::sort(all.begin(), all.end());
  return all;
}

constexpr const char* kTable = "Albums";

// Albums of the music store file, its chain copied `copies` times into a file
// in dir; damage, when given, changes the bytes of the grown file first.
std::string GrowAlbums(const testing::TempDir& dir, const TableRows& clean, std::uint64_t copies,
                       const std::function<void(std::vector<std::uint8_t>&)>& damage = {}) {
  const auto file = testing::FindCorpusFile("sql2012_mvcmusicstore");
  const std::vector<std::uint8_t> source = testing::ReadWholeFile(file->path);
  testing::ChainToGrow chain;
  for (const PageId& p : clean.pages)
    chain.chain.push_back(static_cast<std::uint32_t>(p.pageNumber));
  chain.copies = copies;
  const testing::GrownFile grown(source.size() / kPageSize, {chain});
  std::vector<std::uint8_t> bytes = GrowFile(source, grown);
  if (damage) damage(bytes);
  const std::string path = (dir.path() / file->file).string();
  testing::WriteWholeFile(path, bytes);
  return path;
}

// Albums is a clustered table of five leaf pages walked by its page chain.
TEST(GrownTable, CopiesPastTheRecordedSizeGiveLiveRows) {
  TESSARIL_REQUIRE_CORPUS();
  constexpr std::uint64_t kCopies = 3;
  const auto file = testing::FindCorpusFile("sql2012_mvcmusicstore");
  ASSERT_TRUE(file);
  const TableRows clean = ReadRows(file->path.string(), kTable, {});
  ASSERT_EQ(clean.strategy, PageStrategy::kPageChain);
  ASSERT_FALSE(clean.live.empty());
  testing::TempDir dir;
  const std::string path = GrowAlbums(dir, clean, kCopies);

  const Rows expected = Repeated(clean.live, kCopies + 1);
  for (const bool advanced : {false, true}) {
    for (const bool deleted : {false, true}) {
      SCOPED_TRACE(std::string(advanced ? "collected list" : "page chain") +
                   (deleted ? ", deleted rows shown" : ""));
      ReadSettings settings;
      settings.advancedMode = advanced;
      settings.showDeletedRecords = deleted;
      TableRows read = ReadRows(path, kTable, settings);
      EXPECT_EQ(read.strategy, advanced ? PageStrategy::kCollectedList : PageStrategy::kPageChain);
      EXPECT_EQ(read.pages.size(), clean.pages.size() * (kCopies + 1));
      std::sort(read.live.begin(), read.live.end());
      EXPECT_EQ(read.live.size(), expected.size());
      EXPECT_TRUE(read.live == expected);
      EXPECT_EQ(read.deleted, 0u);
    }
  }
}

// A walk decoded on worker threads gives the rows of a walk on one thread,
// in the same order, and meets the same damage, over many more pages than
// the workers hold ahead; and a walk its caller ends early leaves the table
// readable again.
TEST(GrownTable, WorkerThreadsGiveTheRowsOfOneThreadInOrder) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2012_mvcmusicstore");
  ASSERT_TRUE(file);
  const TableRows clean = ReadRows(file->path.string(), kTable, {});
  ASSERT_FALSE(clean.pages.empty());
  testing::TempDir dir;
  constexpr std::uint64_t kCopies = 80;
  // Two pages of copies half overwritten: records on them no longer fit. (The
  // copies keep their source's checksums, which their new numbers fail.)
  const std::string path = GrowAlbums(dir, clean, kCopies, [&](std::vector<std::uint8_t>& bytes) {
    const std::size_t pagesBefore = bytes.size() / kPageSize - clean.pages.size() * kCopies;
    for (const std::size_t copy : {pagesBefore + 37, pagesBefore + 301}) {
      std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(copy * kPageSize + 2000), 3000,
                  std::uint8_t{0xA5});
    }
  });
  std::size_t chainRows = 0;
  for (const bool advanced : {false, true}) {
    SCOPED_TRACE(advanced ? "collected list" : "page chain");
    ReadSettings settings;
    settings.advancedMode = advanced;
    const TableRows one = ReadRows(path, kTable, settings, 1);
    if (!advanced) chainRows = one.walked.size();
    EXPECT_EQ(one.pages.size(), clean.pages.size() * (kCopies + 1));
    EXPECT_GT(one.walked.size(), 10 * kRowsPerGridPage);
    EXPECT_GT(one.damage.damagedRecords, 0u);
    EXPECT_FALSE(one.damage.pagesFailingProtection.empty());
    for (const unsigned threads : {2u, 3u}) {
      SCOPED_TRACE(std::to_string(threads) + " threads");
      const TableRows many = ReadRows(path, kTable, settings, threads);
      EXPECT_TRUE(many.walked == one.walked);
      EXPECT_EQ(many.damage.damagedRecords, one.damage.damagedRecords);
      EXPECT_EQ(many.damage.pagesFailingProtection, one.damage.pagesFailingProtection);
    }
  }

  const ScanSnapshot scan = testing::OpenScan(path, {});
  ASSERT_TRUE(scan);
  const Result<const CatalogObject*> object =
      FindObjectByName(scan->catalog, kTable, NameScope::kTables);
  ASSERT_TRUE(object);
  Result<std::unique_ptr<TableReader>> reader = TableReader::Open(scan, (*object)->id);
  ASSERT_TRUE(reader);
  (*reader)->SetReadAheadThreads(3);
  ScanEvents quiet;
  int pagesTaken = 0;
  (*reader)->ForEachPage(quiet, [&](const GridPage&) { return ++pagesTaken < 2; });
  EXPECT_EQ(pagesTaken, 2);
  std::size_t rows = 0;
  (*reader)->ForEachPage(quiet, [&](const GridPage& page) {
    rows += page.rows.size();
    return true;
  });
  EXPECT_EQ(rows, chainRows);
}

}  // namespace
}  // namespace tessaril
