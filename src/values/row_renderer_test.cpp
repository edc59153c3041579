#include "values/row_renderer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/record_builder.h"
#include "testing/corpus.h"
#include "testing/row_texts.h"

namespace tessaril {
namespace {

using testing::Bytes;
using testing::FixedVarRecord;
using testing::PageRecord;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A heap of (id int, name varchar) rows on pages 1-3 of a small file.
class RenderedHeap : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto row = [](std::uint8_t status, std::uint8_t id, const char* name,
                        std::vector<testing::VarValue> extra = {}) {
      std::vector<testing::VarValue> values = {{Text(name)}};
      values.insert(values.end(), extra.begin(), extra.end());
      return FixedVarRecord(status, {id, 0, 0, 0}, 2, {0}, values);
    };
    const Bytes backTo1 = testing::Hex(
        "0400"
        "01000000"
        "0100"
        "0000");  // to 1:1 slot 0
    const Bytes backToNowhere = testing::Hex(
        "0400"
        "05000000"
        "0100"
        "0000");
    std::vector<std::vector<PageRecord>> pages(10);
    pages[0] = {{0, FixedVarRecord(0x10, {1, 0, 0, 0}, 1, {0}, {})}};
    pages[1] = {{0, testing::StubRecord(1, 2, 0)}, {0, row(0x30, 7, "plain")}};
    pages[2] = {{0, row(0x32, 8, "moved", {{backTo1, true}})}};
    pages[3] = {{0, row(0x32, 9, "orphan", {{backToNowhere, true}})}};
    const Bytes file = testing::MakeRecordFile(pages);
    testing::WriteWholeFile(dir_.path() / "heap.mdf", file);
    NullProgress progress;
    StopFlag stop;
    auto db = DatabaseFile::Open((dir_.path() / "heap.mdf").string(), false, progress, stop);
    ASSERT_TRUE(db.ok());
    db_ = std::move(db).value();

    ColumnDef id = MakeColumnDef("id", "int(4)", 9);
    id.columnId = id.physicalOrdinal = 1;
    id.leafOffset = 4;
    id.nullBit = 1;
    id.isInRowset = true;
    ColumnDef name = MakeColumnDef("name", "varchar(20)", 17);
    name.columnId = name.physicalOrdinal = 2;
    name.leafOffset = -1;
    name.nullBit = 2;
    name.isInRowset = true;
    name.isVariableLength = true;
    layout_.columns = {id, name};
    layout_.rowsetColumns = {RowsetColumnRow{}};
  }

  std::vector<std::vector<std::string>> Rows(std::int32_t page) {
    RowContext context(layout_, *db_, TextDecoding(nullptr, {}), RecordOptions(), false);
    std::vector<std::vector<std::string>> rows;
    for (const RenderedRow& r : ReadPageRows({1, page}, context))
      rows.push_back(testing::ShownTexts(r));
    return rows;
  }

  testing::TempDir dir_;
  std::unique_ptr<DatabaseFile> db_;
  TableLayout layout_;
};

TEST_F(RenderedHeap, AForwardedRowShowsOnceThroughItsStub) {
  using Rows_ = std::vector<std::vector<std::string>>;
  EXPECT_EQ(Rows(1), (Rows_{{"8", "moved"}, {"7", "plain"}}));
  EXPECT_EQ(Rows(2), Rows_{});                   // reached through the stub on page 1
  EXPECT_EQ(Rows(3), (Rows_{{"9", "orphan"}}));  // its stub is lost: shown where it is
}

// A table (id int, b int sparse, e int sparse): the sparse values sit in the
// record's sparse vector, in any order; one missing from it is NULL.
TEST_F(RenderedHeap, SparseColumnsComeFromTheSparseVector) {
  ColumnDef b = MakeColumnDef("b", "int(4)", 9);
  b.columnId = 3;
  b.physicalOrdinal = 2;
  b.isSparse = true;
  b.isInRowset = true;
  ColumnDef e = b;
  e.name = "e";
  e.columnId = 6;
  ColumnDef missing = b;
  missing.name = "x";
  missing.columnId = 7;
  TableLayout sparse;
  sparse.columns = {layout_.columns[0], b, e, missing};
  sparse.rowsetColumns = {RowsetColumnRow{}};
  const Bytes vector = testing::Hex(
      "0500"
      "0200"
      "0600"
      "0300"
      "1000"
      "1400"
      "d2040000"
      "03000000");
  const Bytes one = testing::Hex(
      "0500"
      "0100"
      "0600"
      "0c00"
      "0f000000"
      "00000000");  // 16 bytes
  const HeaderedPage page = testing::MakeRecordPage(
      {}, {{0, FixedVarRecord(0x30, {5, 0, 0, 0}, 2, {0}, {{vector, true}})},
           {0, FixedVarRecord(0x30, {6, 0, 0, 0}, 2, {0}, {{one, true}})}});
  const PrimaryRecordPage records(page, db_.get(), {});
  RowContext context(sparse, *db_, TextDecoding(nullptr, {}), RecordOptions(), false);
  const std::vector<RenderedRow> rows = RenderRows(records, context);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(testing::ShownTexts(rows[0]), (std::vector<std::string>{"5", "3", "1234", "NULL"}));
  EXPECT_EQ(testing::ShownTexts(rows[1]), (std::vector<std::string>{"6", "NULL", "15", "NULL"}));
  EXPECT_TRUE(rows[1].cells[1].null && rows[1].cells[3].null && !rows[1].cells[2].null);
}

// Columns no placement row places (a damaged rowset column table) are read
// in order from the start of the fixed part: a NULL value keeps its bytes,
// and up to eight bit columns share one byte, NULL ones keeping their bit.
TEST_F(RenderedHeap, UnplacedColumnsAreWalkedInOrder) {
  const auto column = [](const char* name, const char* type, std::int32_t code, std::int32_t id) {
    ColumnDef c = MakeColumnDef(name, type, code);
    c.columnId = c.physicalOrdinal = c.nullBit = id;
    c.isNullable = true;
    c.isInRowset = true;
    return c;
  };
  TableLayout unplaced;
  unplaced.columns = {column("id", "int(4)", 9, 1), column("a", "bit(1)", 2, 2),
                      column("b", "bit(1)", 2, 3),  column("c", "int(4)", 9, 4),
                      column("d", "bit(1)", 2, 5),  column("e", "int(4)", 9, 6)};
  unplaced.rowsetColumns = {RowsetColumnRow{}};
  // id, the bit byte (a and d set, b NULL), c (NULL), e.
  const Bytes fixed = testing::Hex(
      "07000000"
      "05"
      "00000000"
      "09000000");
  const HeaderedPage page =
      testing::MakeRecordPage({}, {{0, FixedVarRecord(0x10, fixed, 6, {0x0C}, {})}});
  const PrimaryRecordPage records(page, db_.get(), {});
  RowContext context(unplaced, *db_, TextDecoding(nullptr, {}), RecordOptions(), false);
  const std::vector<RenderedRow> rows = RenderRows(records, context);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(testing::ShownTexts(rows[0]),
            (std::vector<std::string>{"7", "True", "NULL", "NULL", "True", "9"}));
}

}  // namespace
}  // namespace tessaril
