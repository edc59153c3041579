// Copies of corpus files with damaged slot arrays and lying header counts:
// every row that comes back equals a row of the clean file, and every row
// whose bytes survive comes back.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "catalog/catalog_builder.h"
#include "storage/boot_page.h"
#include "testing/row_texts.h"
#include "testing/corpus.h"
#include "values/row_renderer.h"

namespace tessaril {
namespace {

using Rows = testing::RowTexts;

struct TableRead {
  Rows rows;
  std::vector<PageId> pages;
  std::set<PageId> pagesWithRows;
};

TableRead ReadTable(const std::filesystem::path& path, const std::string& table) {
  TableRead out;
  NullProgress progress;
  StopFlag stop;
  auto db = DatabaseFile::Open(path.string(), false, progress, stop);
  if (!db) return out;
  const Catalog catalog = BuildCatalog(**db, RecordOptions(), progress);
  const CollationTable collations = CollationTable::Load(TESSARIL_SOURCE_DIR "/data/collation.txt");
  CollationResult database;
  if (const auto boot = ReadBootPage(**db)) {
    ApplyDatabaseCollation(collations, boot->collationId, {}, database);
  }
  const TableLayout layout = BuildTableLayout(catalog, **db, table, "U ", {}, RecordOptions());
  RowContext context(layout, **db, TextDecoding(&collations, database), RecordOptions(),
                     catalog.sql2000Layout);
  out.pages = layout.pages;
  for (const PageId& page : layout.pages) {
    for (const RenderedRow& row : ReadPageRows(page, context)) {
      out.rows.push_back(testing::ShownTexts(row));
      out.pagesWithRows.insert(page);
    }
  }
  return out;
}

std::uint16_t Slot(const std::uint8_t* page, std::size_t j) {
  const std::size_t at = kPageSize - 2 - 2 * j;
  return static_cast<std::uint16_t>(page[at] | (page[at + 1] << 8));
}
void PutU16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}
void SetSlot(std::uint8_t* page, std::size_t j, std::uint16_t value) {
  PutU16(page + kPageSize - 2 - 2 * j, value);
}

// Points the first variable end offset of the record in slot 0 back into
// the record's own header.
void BackwardVariableOffset(std::uint8_t* page) {
  std::uint8_t* record = page + Slot(page, 0);
  const std::size_t fixedEnd = static_cast<std::size_t>(record[2] | (record[3] << 8));
  const std::size_t columns =
      static_cast<std::size_t>(record[fixedEnd] | (record[fixedEnd + 1] << 8));
  PutU16(record + fixedEnd + 2 + (columns + 7) / 8 + 2, 1);
}

// The page as written: a torn-bit page keeps the first bytes of its sector
// ends in its header, and a record's fields are read from those.
std::vector<std::uint8_t> AsWritten(const std::uint8_t* page) {
  std::vector<std::uint8_t> copy(page, page + kPageSize);
  const CPage_Header header(copy);
  return copy;
}

// Where the fixed part of the record in slot 0 ends, in the page as written.
std::size_t FixedEndOf(const std::vector<std::uint8_t>& written) {
  const std::size_t record = Slot(written.data(), 0);
  return record + static_cast<std::size_t>(written[record + 2] | (written[record + 3] << 8));
}

// Changes a byte where the page stores it; a byte at a sector end lives in
// the header's torn bits, which this damage leaves alone.
void AddToByte(std::uint8_t* page, std::size_t at, std::uint8_t add) {
  ASSERT_NE(at % 512, 511u) << "a sector-end byte";
  page[at] = static_cast<std::uint8_t>(page[at] + add);
}

// Adds 256 to the column count of the record in slot 0.
void ColumnCountOff(std::uint8_t* page) { AddToByte(page, FixedEndOf(AsWritten(page)) + 1, 1); }

// Moves the end of the fixed part of the record in slot 0 two bytes back.
void FixedPartCut(std::uint8_t* page) {
  const std::vector<std::uint8_t> written = AsWritten(page);
  const std::size_t record = Slot(written.data(), 0);
  const std::size_t fixedEnd = FixedEndOf(written) - record - 2;
  ASSERT_NE((record + 2) % 512, 511u);
  ASSERT_NE((record + 3) % 512, 511u);
  PutU16(page + record + 2, static_cast<std::uint16_t>(fixedEnd));
}

// Every text page's type byte says it is a page of another kind.
void TextPageTypesDamaged(std::vector<std::uint8_t>& file) {
  for (std::size_t at = 0; at + kPageSize <= file.size(); at += kPageSize) {
    if (file[at + 1] == 3 || file[at + 1] == 4) file[at + 1] = 0x77;
  }
}

// Zeroes the byte map of the first PFS page (page 1), leaving its header.
void ZeroFirstByteMap(std::vector<std::uint8_t>& file) {
  std::uint8_t* pfs = file.data() + kPageSize;
  const std::size_t map = Slot(pfs, 0) + 4;
  std::fill(pfs + map, pfs + std::min<std::size_t>(map + 8088, kPageSize - 2), 0);
}

struct DamageCase {
  const char* name;
  const char* dir;
  const char* table;
  // Damages one data page of the table in place; empty for none.
  std::function<void(std::uint8_t* page)> damage;
  // Damages the file once; empty for none.
  std::function<void(std::vector<std::uint8_t>& file)> fileDamage;
  // Rows each damaged page loses because their bytes are gone.
  std::size_t rowsLostPerPage;
};

class DamagedCopyRows : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedCopyRows, GiveOnlyRowsOfTheCleanFile) {
  TESSARIL_REQUIRE_CORPUS();
  const DamageCase& c = GetParam();
  const auto file = testing::FindCorpusFile(c.dir);
  ASSERT_TRUE(file);
  const TableRead clean = ReadTable(file->path, c.table);
  ASSERT_FALSE(clean.rows.empty());

  std::vector<std::uint8_t> bytes = testing::ReadWholeFile(file->path);
  std::size_t damagedPages = 0;
  for (const PageId& page : clean.pages) {
    const std::size_t at = static_cast<std::size_t>(page.pageNumber) * kPageSize;
    if (!c.damage || page.fileId != 1 || at + kPageSize > bytes.size() ||
        bytes[at + 1] != kDataPageType) {
      continue;
    }
    c.damage(bytes.data() + at);
    if (clean.pagesWithRows.count(page) != 0) ++damagedPages;  // a free page gives no rows anyway
  }
  if (c.fileDamage) c.fileDamage(bytes);
  ASSERT_TRUE(damagedPages > 0 || c.fileDamage);
  testing::TempDir dir;
  testing::WriteWholeFile(dir.path() / file->file, bytes);
  const TableRead damaged = ReadTable(dir.path() / file->file, c.table);

  const auto invented = testing::RowNotAmong(damaged.rows, clean.rows);
  EXPECT_FALSE(invented) << "a row the clean file lacks: " << ::testing::PrintToString(*invented);
  EXPECT_EQ(damaged.rows.size(), clean.rows.size() - c.rowsLostPerPage * damagedPages);
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, DamagedCopyRows,
    ::testing::Values(
        DamageCase{"OrdersWithSlotCount3999",
                   "sql2000_northwind",
                   "Orders",
                   [](std::uint8_t* p) { PutU16(p + 22, 3999); },
                   {},
                   0},
        DamageCase{"CustomersWithSlotCount3999",
                   "sql2000_northwind",
                   "Customers",
                   [](std::uint8_t* p) { PutU16(p + 22, 3999); },
                   {},
                   0},
        DamageCase{"OrdersWithLyingGhostCount",
                   "sql2000_northwind",
                   "Orders",
                   [](std::uint8_t* p) { PutU16(p + 58, 40000); },
                   {},
                   0},
        DamageCase{"OrdersWithLyingFreeByteCount",
                   "sql2000_northwind",
                   "Orders",
                   [](std::uint8_t* p) { PutU16(p + 28, 0x9000); },
                   {},
                   0},
        // The flag that says the sector ends hold torn bits is lost.
        DamageCase{"OrdersWithTornFlagLost",
                   "sql2000_northwind",
                   "Orders",
                   [](std::uint8_t* p) { p[5] &= 0xFE; },
                   {},
                   0},
        DamageCase{"AuthorsWithSlotCount3999",
                   "sql2014_pubs",
                   "authors",
                   [](std::uint8_t* p) { PutU16(p + 22, 3999); },
                   {},
                   0},
        // Slot 1 pointed five bytes into the record of slot 0, or at it.
        DamageCase{
            "SlotIntoAnotherRecord",
            "sql2014_pubs",
            "employee",
            [](std::uint8_t* p) { SetSlot(p, 1, static_cast<std::uint16_t>(Slot(p, 0) + 5)); },
            {},
            1},
        DamageCase{"RepeatedSlot",
                   "sql2014_pubs",
                   "titles",
                   [](std::uint8_t* p) { SetSlot(p, 1, Slot(p, 0)); },
                   {},
                   1},
        DamageCase{
            "BackwardVariableOffset", "sql2014_pubs", "authors", BackwardVariableOffset, {}, 1},
        DamageCase{"SlotPastTheRecords",
                   "sql2008_pubs",
                   "sales",
                   [](std::uint8_t* p) { SetSlot(p, 2, 8000); },
                   {},
                   1},
        // A zeroed PFS byte map would make every page look free.
        DamageCase{"AuthorsUnderZeroedPfs", "sql2014_pubs", "authors", {}, ZeroFirstByteMap, 0},
        DamageCase{"TitlesUnderZeroedPfs", "sql2014_pubs", "titles", {}, ZeroFirstByteMap, 0},
        DamageCase{"OrdersUnderZeroedPfs", "sql2000_northwind", "Orders", {}, ZeroFirstByteMap, 0},
        // A record header that no record of its table can have.
        DamageCase{"ColumnCountOff", "sql2000_northwind", "Orders", ColumnCountOff, {}, 1},
        DamageCase{"ColumnCountOff2014", "sql2014_pubs", "titles", ColumnCountOff, {}, 1},
        DamageCase{"FixedPartCut", "sql2000_northwind", "Customers", FixedPartCut, {}, 1},
        DamageCase{"FixedPartCut2014", "sql2014_pubs", "authors", FixedPartCut, {}, 1},
        // Logos and texts kept on text pages whose type byte is damaged.
        DamageCase{"LogosOnDamagedTextPages", "sql2008_pubs", "pub_info", {}, TextPageTypesDamaged,
                   0}),
    [](const ::testing::TestParamInfo<DamageCase>& param) { return param.param.name; });

}  // namespace
}  // namespace tessaril
