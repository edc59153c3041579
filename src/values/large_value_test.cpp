#include "values/large_value.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/record_builder.h"
#include "testing/corpus.h"
#include "testing/row_texts.h"
#include "values/row_renderer.h"

namespace tessaril {
namespace {

using testing::Bytes;
using testing::Hex;

LobBytes Reached(const Bytes& bytes) { return {bytes, true}; }
ByteView View(const Bytes& bytes) { return {bytes.data(), bytes.size()}; }

// The whole bytes of a value decide its text by the column's type, however
// the structures split them.
TEST(LargeValueText, FollowsTheColumnType) {
  struct Case {
    const char* name;
    ColumnDef column;
    LobBytes value;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"ntext beyond Latin-1", MakeColumnDef("n", "ntext(16)", 19),
       Reached(Hex("AC20750072006F00")), "\xE2\x82\xACuro"},
      {"nvarchar(max) with few zero bytes", MakeColumnDef("n", "nvarchar(-1)", 11),
       Reached(Hex("2D4E8765")), "\xE4\xB8\xAD\xE6\x96\x87"},
      {"text in the collation's code page", MakeColumnDef("t", "text(16)", 26),
       Reached(Hex("80206162")), "\xE2\x82\xAC ab"},
      {"image keeps bytes after a zero", MakeColumnDef("i", "image(16)", 25),
       Reached(Hex("00FF0010")), "00FF0010"},
      {"varbinary(max)", MakeColumnDef("b", "varbinary(-1)", 16), Reached(Hex("CAFE")), "CAFE"},
      {"sql_variant of nvarchar, header by its base type",
       MakeColumnDef("v", "sql_variant(8016)", 20), Reached(Hex("E70108D000003400480069002100")),
       "Hi!"},
      {"sql_variant of varbinary", MakeColumnDef("v", "sql_variant(8016)", 20),
       Reached(Hex("A50104000102")), "0x0102"},
      // <a>hi</a>: header, name "a", its qualified name, element, string "hi",
      // end of element.
      {"xml", MakeColumnDef("x", "xml(-1)", 34),
       Reached(Hex("DFFF01B004F0016100EF000001F801110268006900F7")), "<a>hi</a>"},
      {"empty value", MakeColumnDef("t", "text(16)", 26), Reached({}), ""},
      {"pointer that reached nothing", MakeColumnDef("i", "image(16)", 25), {}, " "},
  };
  TextDecoding text(nullptr, {});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LargeValueText(c.value, c.column, text), c.text);
  }
}

TEST(ComplexValue, KindComesFromTheColumnTypeAndTheComplexId) {
  const Bytes pointer = testing::TextPointer(1, 5, 0);
  const Bytes sparse = Hex("0500010006000C000F00000000000000");  // also 16 bytes
  EXPECT_EQ(ClassifyComplexValue(View(pointer), 25), ComplexValueKind::kTextPointer);
  EXPECT_EQ(ClassifyComplexValue(View(sparse), 0), ComplexValueKind::kOther);
  EXPECT_EQ(ClassifyComplexValue(View(pointer), 17), ComplexValueKind::kOther);
  EXPECT_EQ(ClassifyComplexValue(View(testing::InRowLobRoot(2, {{}})), 17),
            ComplexValueKind::kRowOverflow);
  EXPECT_EQ(ClassifyComplexValue(View(testing::InRowLobRoot(4, {{}})), 26),
            ComplexValueKind::kLobRoot);
}

// A row (id int, img image, big varchar(max), ov nvarchar(4000)) whose three
// variable values are kept on text page 1.
class LargeValueRow : public ::testing::Test {
 protected:
  void SetUp() override {
    const Bytes file = testing::MakeRecordFile(
        {{},
         {{0, testing::TextRecordOf(testing::LobDataStructure(Hex("00FF0010")))},
          {0, testing::TextRecordOf(testing::LobDataStructure(Bytes{'b', 'i', 'g'}))},
          {0, testing::TextRecordOf(testing::LobDataStructure(Hex("AC20750072006F00")))}}},
        3);
    testing::WriteWholeFile(dir_.path() / "lob.mdf", file);
    NullProgress progress;
    StopFlag stop;
    auto db = DatabaseFile::Open((dir_.path() / "lob.mdf").string(), false, progress, stop);
    ASSERT_TRUE(db.ok());
    db_ = std::move(db).value();

    const auto column = [](const char* name, const char* type, std::int32_t code, int n) {
      ColumnDef c = MakeColumnDef(name, type, code);
      c.columnId = c.physicalOrdinal = c.nullBit = n;
      c.leafOffset = static_cast<std::int16_t>(n == 1 ? 4 : 1 - n);
      c.isInRowset = true;
      return c;
    };
    layout_.columns = {column("id", "int(4)", 9, 1), column("img", "image(16)", 25, 2),
                       column("big", "varchar(-1)", 17, 3), column("ov", "nvarchar(4000)", 11, 4)};
    layout_.rowsetColumns = {RowsetColumnRow{}};
    const Bytes record =
        testing::FixedVarRecord(0x30, {7, 0, 0, 0}, 4, {0},
                                {{testing::TextPointer(1, 1, 0), true},
                                 {testing::InRowLobRoot(4, {{1, 1, 1, 3}}), true},
                                 {testing::InRowLobRoot(2, {{1, 1, 2, 8}}), true}});
    page_ = testing::MakeRecordPage({}, {{0, record}});
  }

  std::vector<std::string> Render(bool gridLoading, ValueCapture* capture = nullptr) {
    const PrimaryRecordPage records(*page_, db_.get(), {});
    RowContext context(layout_, *db_, TextDecoding(nullptr, {}), RecordOptions(), false);
    context.gridLoading = gridLoading;
    context.capture = capture;
    const std::vector<RenderedRow> rows = RenderRows(records, context);
    return rows.size() == 1 ? testing::ShownTexts(rows[0]) : std::vector<std::string>();
  }

  testing::TempDir dir_;
  std::unique_ptr<DatabaseFile> db_;
  TableLayout layout_;
  std::optional<HeaderedPage> page_;
};

TEST_F(LargeValueRow, ValuesAreReadInFullOutsideGridLoading) {
  EXPECT_EQ(Render(false), (std::vector<std::string>{"7", "0x00FF0010", "big", "\xE2\x82\xACuro"}));
}

TEST_F(LargeValueRow, GridLoadingShowsPlaceholdersButReadsRowOverflow) {
  EXPECT_EQ(Render(true), (std::vector<std::string>{"7", "<BINARY DATA>", "<BIG BINARY DATA>",
                                                    "\xE2\x82\xACuro"}));
}

TEST_F(LargeValueRow, CaptureKeepsTheAssembledBytesOfOneValue) {
  for (const auto& [column, bytes] : std::vector<std::pair<std::size_t, Bytes>>{
           {0, {7, 0, 0, 0}}, {1, Hex("00FF0010")}, {2, {'b', 'i', 'g'}}}) {
    ValueCapture capture{{{1, 100}, 0}, column, std::nullopt};
    Render(false, &capture);
    EXPECT_EQ(capture.bytes, bytes);
  }
  ValueCapture otherRecord{{{1, 100}, 1}, 1, std::nullopt};
  Render(false, &otherRecord);
  EXPECT_FALSE(otherRecord.bytes);
}

}  // namespace
}  // namespace tessaril
