#include "cli/row_output.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tessaril::cli {
namespace {

ColumnDef Column(std::string name, std::int32_t typeCode) {
  ColumnDef c;
  c.name = std::move(name);
  c.typeCode = typeCode;
  c.physicalOrdinal = 1;
  return c;
}

// A name, a bit and a path; the second row is a carved one.
std::vector<ColumnDef> Columns() {
  return {Column("name", kNvarcharCode), Column("ok", kBitCode), Column("path", kVarcharCode)};
}

std::vector<RenderedRow> Rows() {
  RenderedRow live;
  live.cells = {Cell::Text("\xE5\xAD\xA6\xE7\x94\x9F"), Cell::Text("True"),
                Cell::Text("C:\\DBS\\a\tb\nc")};
  live.id = {PageId{1, 304}, 0};
  RenderedRow carved;
  carved.cells = {Cell::Text("Smith"), Cell::Text("False"), Cell::Null()};
  carved.id = {PageId{1, 304}, 23};
  carved.origin = RowOrigin::kCarved;
  return {live, carved};
}

std::string Written(RowFormat format, RowWriterOptions options = {}) {
  std::ostringstream out;
  RowWriter writer(out, format, Columns(), options);
  for (const RenderedRow& row : Rows()) writer.Write(row);
  writer.Finish();
  return out.str();
}

TEST(RowWriter, EachFormatWritesValuesAsItsReadersExpect) {
  const RowWriterOptions provenance{false, true};
  const struct {
    RowFormat format;
    RowWriterOptions options;
    const char* expected;
  } cases[] = {
      // Text: aligned by display width (the CJK name takes four columns), a
      // backslash as it is, the grid's True and False.
      {RowFormat::kText,
       {},
       "name   ok     path\n"
       "\xE5\xAD\xA6\xE7\x94\x9F   True   C:\\DBS\\a\\tb\\nc\n"
       "Smith  False  NULL\n"},
      // TSV: only tab, line feed and carriage return escaped; bit as 1 or 0.
      {RowFormat::kTsv,
       {},
       "name\tok\tpath\n"
       "\xE5\xAD\xA6\xE7\x94\x9F\t1\tC:\\DBS\\a\\tb\\nc\n"
       "Smith\t0\tNULL\n"},
      {RowFormat::kCsv, provenance,
       "name,ok,path,$status,$page,$slot\r\n"
       "\xE5\xAD\xA6\xE7\x94\x9F,1,\"C:\\DBS\\a\tb\nc\",live,1:304,0\r\n"
       "Smith,0,,carved,1:304,23\r\n"},
      {RowFormat::kJson, provenance,
       "{\"name\":\"\xE5\xAD\xA6\xE7\x94\x9F\",\"ok\":1,\"path\":\"C:"
       "\\\\DBS\\\\a\\u0009b\\u000ac\","
       "\"$status\":\"live\",\"$page\":\"1:304\",\"$slot\":0}\n"
       "{\"name\":\"Smith\",\"ok\":0,\"path\":null,"
       "\"$status\":\"carved\",\"$page\":\"1:304\",\"$slot\":23}\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Written(c.format, c.options), c.expected) << static_cast<int>(c.format);
  }
}

// JSON numbers only where a double holds the value exactly and the text is
// a JSON number.
TEST(RowWriter, JsonNumbersAreExactInADouble) {
  const struct {
    std::int32_t typeCode;
    const char* text;
    bool number;
  } cases[] = {
      {kIntCode, "-42", true},
      {kTinyintCode, "0", true},
      {kBigintCode, "9007199254740992", true},
      {kBigintCode, "9007199254740993", false},
      {kBigintCode, "-123456789012345678", false},
      {kFloatCode, "1.5e-07", true},
      {kRealCode, "-0.25", true},
      {kFloatCode, "NaN", false},
      {kFloatCode, "-Infinity", false},
      {kDecimalCode, "12.50", false},
      {kMoneyCode, "32.3800", false},
      {kVarcharCode, "7", false},
      {kIntCode, "", false},
      {kIntCode, "007", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsJsonNumber(Column("c", c.typeCode), c.text), c.number)
        << c.typeCode << " " << c.text;
  }
}

TEST(RowWriter, ProvenanceColumnsAlignInTheTextFormat) {
  EXPECT_EQ(Written(RowFormat::kText, {false, true}),
            "name   ok     path            $status  $page  $slot\n"
            "\xE5\xAD\xA6\xE7\x94\x9F   True   C:\\DBS\\a\\tb\\nc  live     1:304  0\n"
            "Smith  False  NULL            carved   1:304  23\n");
}

}  // namespace
}  // namespace tessaril::cli
