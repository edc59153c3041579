// Copies of corpus files whose table links are damaged: a page of the chain
// that is no data page any more, links that loop, leave the file or lead into
// another table. The walk gives every row whose page survives, no row the
// clean file lacks, and says what it met.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "session/record_pager.h"
#include "testing/corpus.h"
#include "testing/opened_catalog.h"
#include "testing/row_texts.h"

namespace tessaril {
namespace {

using Rows = testing::RowTexts;

struct Walked {
  Rows rows;
  std::map<PageId, std::size_t> rowsByPage;
  std::vector<PageId> pages;  // as the walk listed them
  WalkDamage damage;
};

Walked WalkTable(const std::filesystem::path& path, const std::string& table) {
  Walked out;
  const testing::OpenedCatalog opened = testing::OpenWithCatalog(path.string());
  if (!opened.db) return out;
  const TableLayout layout = BuildTableLayout(opened.catalog, *opened.db, table, "U ", {}, {});
  RowContext context(layout, *opened.db, TextDecoding(nullptr, {}), {},
                     opened.catalog.sql2000Layout);
  RecordPager pager(opened.catalog, context, false);
  ScanEvents quiet;
  for (GridPage page = pager.First(quiet);; page = pager.Next(quiet)) {
    for (const RenderedRow& row : page.rows) {
      out.rows.push_back(testing::ShownTexts(row));
      ++out.rowsByPage[row.id.page];
    }
    if (!pager.hasNext()) break;
  }
  out.pages = pager.pageList();
  out.damage = pager.damage();
  return out;
}

void PutPageId(std::uint8_t* at, PageId id) {
  const auto page = static_cast<std::uint32_t>(id.pageNumber);
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(page >> (8 * i));
  at[4] = static_cast<std::uint8_t>(id.fileId);
  at[5] = static_cast<std::uint8_t>(id.fileId >> 8);
}

constexpr std::size_t kNextPageOffset = 16;

struct Clean {
  std::vector<PageId> chain;  // the table's pages as the clean walk lists them
  PageId otherTablePage;      // a data page of another table
};

struct WalkCase {
  const char* name;
  const char* dir;
  const char* table;
  const char* otherTable;
  // Damages the file; returns the pages whose rows are lost with it.
  std::function<std::vector<PageId>(std::vector<std::uint8_t>& file, const Clean& clean)> damage;
};

std::uint8_t* PageAt(std::vector<std::uint8_t>& file, PageId id) {
  return file.data() + static_cast<std::size_t>(id.pageNumber) * kPageSize;
}

class DamagedWalks : public ::testing::TestWithParam<WalkCase> {};

TEST_P(DamagedWalks, GiveEverySurvivingRowAndNoOther) {
  TESSARIL_REQUIRE_CORPUS();
  const WalkCase& c = GetParam();
  const auto file = testing::FindCorpusFile(c.dir);
  ASSERT_TRUE(file);
  const Walked clean = WalkTable(file->path, c.table);
  ASSERT_GE(clean.pages.size(), 6u);
  EXPECT_FALSE(clean.damage.any());
  const Walked other = WalkTable(file->path, c.otherTable);
  ASSERT_FALSE(other.pages.empty());

  std::vector<std::uint8_t> bytes = testing::ReadWholeFile(file->path);
  const std::vector<PageId> lost = c.damage(bytes, {clean.pages, other.pages.front()});
  testing::TempDir dir;
  testing::WriteWholeFile(dir.path() / file->file, bytes);
  const Walked damaged = WalkTable(dir.path() / file->file, c.table);

  const auto invented = testing::RowNotAmong(damaged.rows, clean.rows);
  EXPECT_FALSE(invented) << "a row the clean file lacks: " << ::testing::PrintToString(*invented);
  std::size_t lostRows = 0;
  for (const PageId& page : lost) lostRows += clean.rowsByPage.at(page);
  EXPECT_EQ(damaged.rows.size(), clean.rows.size() - lostRows);
  EXPECT_TRUE(damaged.damage.any()) << "the damage goes unsaid";
}

std::vector<PageId> TypeByteZeroed(std::vector<std::uint8_t>& file, const Clean& clean) {
  PageAt(file, clean.chain[3])[1] = 0;
  return {clean.chain[3]};
}
std::vector<PageId> HeaderZeroed(std::vector<std::uint8_t>& file, const Clean& clean) {
  std::fill_n(PageAt(file, clean.chain[2]), kPageHeaderSize, 0);
  return {clean.chain[2]};
}
std::vector<PageId> ChainLoopsBack(std::vector<std::uint8_t>& file, const Clean& clean) {
  PutPageId(PageAt(file, clean.chain[4]) + kNextPageOffset, clean.chain[1]);
  return {};
}
std::vector<PageId> LinkOutsideTheFile(std::vector<std::uint8_t>& file, const Clean& clean) {
  PutPageId(PageAt(file, clean.chain[1]) + kNextPageOffset, {1, 0x7FFFFF});
  return {};
}
std::vector<PageId> LinkIntoAnotherTable(std::vector<std::uint8_t>& file, const Clean& clean) {
  PutPageId(PageAt(file, clean.chain[2]) + kNextPageOffset, clean.otherTablePage);
  return {};
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, DamagedWalks,
    ::testing::Values(
        // A clustered index walked by its page chain.
        WalkCase{"TypeByteZeroed", "sql2016_dailynutrition", "Ingredients", "Recipes",
                 TypeByteZeroed},
        WalkCase{"HeaderZeroed", "sql2016_dailynutrition", "Ingredients", "Recipes", HeaderZeroed},
        WalkCase{"ChainLoopsBack", "sql2016_dailynutrition", "Ingredients", "Recipes",
                 ChainLoopsBack},
        WalkCase{"LinkOutsideTheFile", "sql2016_dailynutrition", "Ingredients", "Recipes",
                 LinkOutsideTheFile},
        WalkCase{"LinkIntoAnotherTable", "sql2016_dailynutrition", "Ingredients", "Recipes",
                 LinkIntoAnotherTable},
        // Pages of a database upgraded from SQL Server 2000, walked by the IAM chain.
        WalkCase{"UpgradedTypeByteZeroed", "sql2008r2_northwind", "Order Details", "Orders",
                 TypeByteZeroed},
        // The SQL Server 2000 page chain from the index row's first page.
        WalkCase{"Sql2000TypeByteZeroed", "sql2000_northwind", "Order Details", "Orders",
                 TypeByteZeroed},
        WalkCase{"Sql2000LinkIntoAnotherTable", "sql2000_northwind", "Order Details", "Orders",
                 LinkIntoAnotherTable}),
    [](const ::testing::TestParamInfo<WalkCase>& param) { return param.param.name; });

// A file cut to 70%: the object table's second page is gone, and with it
// the names of tables whose own pages and column rows survive. They come
// back whole, named by their object ids.
TEST(CutFile, KeepsTheTablesWhoseRowsSurvive) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2000_northwind");
  ASSERT_TRUE(file);
  const testing::OpenedCatalog clean = testing::OpenWithCatalog(file->path.string());
  ASSERT_TRUE(clean.db);
  std::vector<std::uint8_t> bytes = testing::ReadWholeFile(file->path);
  bytes.resize(bytes.size() * 7 / 10 / kPageSize * kPageSize);
  testing::TempDir dir;
  testing::WriteWholeFile(dir.path() / file->file, bytes);
  for (const char* table : {"Employees", "Categories", "Shippers"}) {
    SCOPED_TRACE(table);
    const auto object = std::find_if(clean.catalog.objects.begin(), clean.catalog.objects.end(),
                                     [&](const CatalogObject& o) { return o.name == table; });
    ASSERT_NE(object, clean.catalog.objects.end());
    const Walked before = WalkTable(file->path, table);
    const Walked after =
        WalkTable(dir.path() / file->file, "LostAndFound_" + std::to_string(object->id));
    ASSERT_FALSE(before.rows.empty());
    EXPECT_EQ(after.rows, before.rows);
  }
}

// Every page of the object, allocation unit, rowset and column tables
// zeroed: no table has a name or a layout any more, yet each unit of data
// pages comes back as a table of its own, every record a row, its first
// variable value (ShortDescription) as the text it was.
TEST(LostCatalog, GivesEachUnitItsRowsAsStored) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2016_dailynutrition");
  ASSERT_TRUE(file);
  const testing::OpenedCatalog clean = testing::OpenWithCatalog(file->path.string());
  ASSERT_TRUE(clean.db);
  const TableLayout layout =
      BuildTableLayout(clean.catalog, *clean.db, "Ingredients", "U ", {}, {});
  const Walked before = WalkTable(file->path, "Ingredients");
  ASSERT_GT(before.rows.size(), 100u);

  std::vector<std::uint8_t> bytes = testing::ReadWholeFile(file->path);
  constexpr std::int32_t kCatalogTables[] = {34, 7, 5, 41};  // objects, units, rowsets, columns
  for (const std::int32_t table : kCatalogTables) {
    const auto pages = clean.db->inventory().systemPages.find(table);
    ASSERT_NE(pages, clean.db->inventory().systemPages.end());
    for (const PageEntry& e : pages->second) std::fill_n(PageAt(bytes, e.id()), kPageSize, 0);
  }
  testing::TempDir dir;
  testing::WriteWholeFile(dir.path() / file->file, bytes);

  const std::uint64_t unit = clean.db->inventory().KeyOfUnit(layout.allocationUnit.unitId);
  const Walked after = WalkTable(dir.path() / file->file, "LostAndFound_" + std::to_string(unit));
  ASSERT_EQ(after.rows.size(), before.rows.size());
  const auto column = [](const Rows& rows, std::size_t i) {
    std::vector<std::string> texts;
    for (const auto& row : rows) texts.push_back(row.at(i));
    std::sort(texts.begin(), texts.end());
    return texts;
  };
  EXPECT_EQ(column(after.rows, 1), column(before.rows, 1));
}

}  // namespace
}  // namespace tessaril
