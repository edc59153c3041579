#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog/table_layout.h"
#include "export/sql_text.h"

namespace tessaril {
namespace {

ColumnDef Column(std::int32_t typeCode) {
  ColumnDef c;
  c.name = "c";
  c.typeCode = typeCode;
  c.physicalOrdinal = 1;
  return c;
}

// Each cell as SQL Server reads it back: NULL apart from the text "NULL",
// quotes doubled, Unicode text as N'', binary as 0x, dates through style 121.
TEST(SqlLiteral, EveryKindOfValue) {
  struct Case {
    std::int32_t typeCode;
    Cell cell;
    const char* literal;
    bool unreadable;
  };
  const Cell binary{"0x00FF", false, true};
  const std::vector<Case> cases = {
      {kVarcharCode, Cell::Null(), "NULL", false},
      {kVarcharCode, Cell::Text("NULL"), "'NULL'", false},
      {kVarcharCode, Cell::Text(""), "''", false},
      {kCharCode, Cell::Text("O'Brien"), "'O''Brien'", false},
      {kNvarcharCode, Cell::Text("\xD0\x96"), "N'\xD0\x96'", false},
      {kIntCode, Cell::Text("-42"), "-42", false},
      {kDecimalCode, Cell::Text("12345.67"), "12345.67", false},
      {kMoneyCode, Cell::Text("32.3800"), "32.3800", false},
      {kFloatCode, Cell::Text("1.5E+300"), "1.5E+300", false},
      {kFloatCode, Cell::Text("1.5e-07"), "1.5e-07", false},
      {kFloatCode, Cell::Text("NaN"), "NULL", true},
      {kFloatCode, Cell::Text("-Infinity"), "NULL", true},
      {kIntCode, Cell::Text(""), "NULL", true},
      {kBitCode, Cell::Text("True"), "1", false},
      {kBitCode, Cell::Text("False"), "0", false},
      {kDateTimeCode, Cell::Text("1996-07-04 00:00:00.000"),
       "CONVERT(datetime, '1996-07-04 00:00:00.000', 121)", false},
      {kDateTime2Code, Cell::Text("2020-01-02 03:04:05.123"),
       "CONVERT(datetime2(7), '2020-01-02 03:04:05.123', 121)", false},
      {kTimeCode, Cell::Text("10:11:12.5"), "CAST('10:11:12.5' AS time(7))", false},
      {kUniqueIdentifierCode, Cell::Text("1899D4EB-03A3-4061-AA58-3EB69C83B281"),
       "'1899D4EB-03A3-4061-AA58-3EB69C83B281'", false},
      {kVarbinaryCode, binary, "0x00FF", false},
      {kHierarchyIdCode, binary, "CAST(0x00FF AS hierarchyid)", false},
  };
  for (const Case& c : cases) {
    bool unreadable = !c.unreadable;
    EXPECT_EQ(SqlLiteral(c.cell, Column(c.typeCode), unreadable), c.literal) << c.cell.text;
    EXPECT_EQ(unreadable, c.unreadable) << c.cell.text;
  }
}

TEST(SqlText, NamesAreBracketQuoted) {
  EXPECT_EQ(QuoteName("Order Details"), "[Order Details]");
  EXPECT_EQ(QuoteName("a]b"), "[a]]b]");
  EXPECT_EQ(QuoteName("Option"), "[Option]");
  EXPECT_EQ(StringLiteral("it's", true), "N'it''s'");
}

}  // namespace
}  // namespace tessaril
