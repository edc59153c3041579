// A real table grown past the size its file was made for: copies of its leaf
// pages appended after the file's last page and linked into its page chain.
// The file's own PFS page covers the first copies and reads them as free
// (their bytes lie past the end the file header records); their rows must
// still come back as live rows, by the page chain and by the collected list.
#include <gtest/gtest.h>

#include <algorithm>
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
};

TableRows ReadRows(const std::string& path, const char* table, ReadSettings settings) {
  TableRows out;
  const ScanSnapshot scan = testing::OpenScan(path, settings);
  if (!scan) return out;
  const Result<const CatalogObject*> object =
      FindObjectByName(scan->catalog, table, NameScope::kTables);
  if (!object) return out;
  Result<std::unique_ptr<TableReader>> reader = TableReader::Open(scan, (*object)->id);
  if (!reader) return out;
  ScanEvents quiet;
  (*reader)->ForEachPage(quiet, [&](const GridPage& page) {
    for (const RenderedRow& row : page.rows) {
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

// Albums is a clustered table of five leaf pages walked by its page chain.
TEST(GrownTable, CopiesPastTheRecordedSizeGiveLiveRows) {
  TESSARIL_REQUIRE_CORPUS();
  constexpr const char* kTable = "Albums";
  constexpr std::uint64_t kCopies = 3;
  const auto file = testing::FindCorpusFile("sql2012_mvcmusicstore");
  ASSERT_TRUE(file);
  const TableRows clean = ReadRows(file->path.string(), kTable, {});
  ASSERT_EQ(clean.strategy, PageStrategy::kPageChain);
  ASSERT_FALSE(clean.live.empty());

  const std::vector<std::uint8_t> source = testing::ReadWholeFile(file->path);
  testing::ChainToGrow chain;
  for (const PageId& p : clean.pages)
    chain.chain.push_back(static_cast<std::uint32_t>(p.pageNumber));
  chain.copies = kCopies;
  const testing::GrownFile grown(source.size() / kPageSize, {chain});
  testing::TempDir dir;
  const std::string path = (dir.path() / file->file).string();
  testing::WriteWholeFile(path, GrowFile(source, grown));

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

}  // namespace
}  // namespace tessaril
