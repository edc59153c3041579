#include "values/compressed_row.h"

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
using testing::CompressedRecord;
using testing::Hex;
using Texts = std::vector<std::string>;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

ColumnDef Column(const std::string& typeText, std::int32_t code, std::int32_t ordinal) {
  ColumnDef c = MakeColumnDef("c" + std::to_string(ordinal), typeText, code);
  c.columnId = c.physicalOrdinal = ordinal;
  c.isInRowset = true;
  c.isNullable = true;
  return c;
}

// The code of a short value of n bytes (1 for none).
std::uint8_t ShortCode(std::size_t n) { return static_cast<std::uint8_t>(n + 1); }

// Renders compressed records through the row renderer, as a table walk does.
class CompressedRows : public ::testing::Test {
 protected:
  void SetUp() override {
    const Bytes file = testing::MakeRecordFile({{}});
    testing::WriteWholeFile(dir_.path() / "c.mdf", file);
    NullProgress progress;
    StopFlag stop;
    auto db = DatabaseFile::Open((dir_.path() / "c.mdf").string(), false, progress, stop);
    ASSERT_TRUE(db.ok());
    db_ = std::move(db).value();
  }

  std::vector<Texts> Render(const std::vector<ColumnDef>& columns,
                            const std::vector<Bytes>& records, const Bytes& info = {}) {
    testing::PageLayout layout;
    if (!info.empty()) {
      layout.typeFlagBits = kCompressionInfoFlag;
      layout.compressionInfo = info;
    }
    std::vector<testing::PageRecord> placed;
    for (const Bytes& r : records) placed.push_back({0, r});
    const PrimaryRecordPage page(testing::MakeRecordPage(layout, placed), db_.get(), {});
    TableLayout table;
    table.columns = columns;
    table.rowsetColumns = {RowsetColumnRow{}};
    RowContext context(table, *db_, TextDecoding(nullptr, {}), RecordOptions(), false);
    std::vector<Texts> rows;
    for (const RenderedRow& row : RenderRows(page, context))
      rows.push_back(testing::ShownTexts(row));
    return rows;
  }

  // One column of one type, one record holding the short value.
  std::string One(const ColumnDef& column, const Bytes& stored) {
    const std::vector<Texts> rows =
        Render({column}, {CompressedRecord(0x01, {ShortCode(stored.size())}, stored)});
    return rows.size() == 1 ? rows[0][0] : "<no row>";
  }

  testing::TempDir dir_;
  std::unique_ptr<DatabaseFile> db_;
};

struct ValueCase {
  const char* typeText;
  std::int32_t code;
  const char* storedHex;
  const char* text;
  std::uint8_t precision = 0;
  std::uint8_t scale = 0;
};

TEST_F(CompressedRows, IntegersAreBigEndianWithTheSignBitFlipped) {
  const ValueCase cases[] = {
      {"tinyint(1)", 14, "", "0"},
      {"tinyint(1)", 14, "ff", "255"},
      {"smallint(2)", 13, "7f", "-1"},
      {"smallint(2)", 13, "80", "0"},
      {"smallint(2)", 13, "0000", "-32768"},
      {"smallint(2)", 13, "ffff", "32767"},
      {"int(4)", 9, "", "0"},
      {"int(4)", 9, "e5", "101"},
      {"int(4)", 9, "00", "-128"},
      {"int(4)", 9, "00000000", "-2147483648"},
      {"int(4)", 9, "ffffffff", "2147483647"},
      {"int(4)", 9, "0102030405", ""},  // longer than an int
      {"bigint(8)", 0, "7f", "-1"},
      {"bigint(8)", 0, "0000000000000000", "-9223372036854775808"},
      {"bigint(8)", 0, "ffffffffffffffff", "9223372036854775807"},
      {"money(8)", 21, "a710", "1.0000"},
      {"money(8)", 21, "7f", "-0.0001"},
      {"smallmoney(4)", 29, "58f0", "-1.0000"},
      {"datetime(8)", 4, "", "1900-01-01 00:00:00.000"},
  };
  for (const ValueCase& c : cases) {
    EXPECT_EQ(One(Column(c.typeText, c.code, 1), Hex(c.storedHex)), c.text)
        << c.typeText << " " << c.storedHex;
  }
}

TEST_F(CompressedRows, OtherTypesGetBackTheBytesCompressionDropped) {
  const ValueCase cases[] = {
      {"real(4)", 28, "803f", "1"},
      {"float(8)", 22, "f03f", "1"},
      {"smalldatetime(4)", 27, "9f05ffff", "2079-06-06 23:59:00"},
      {"smalldatetime(4)", 27, "ffff", "2079-06-06 00:00:00"},
      {"date(3)", 5, "75250b", "2001-01-01"},
      {"date(3)", 5, "", "0001-01-01"},
      {"datetime2(8)", 7, "e11a760075250b", "2001-01-01 02:09:00.129", 0, 3},
      {"time(5)", 6, "", "00:00:00.0000000", 0, 7},
      {"binary(4)", 1, "0102", "0x01020000"},
      {"varbinary(10)", 16, "0a0b", "0x0A0B"},
      {"varbinary(10)", 16, "", "0x"},
      {"char(5)", 3, "6162", "ab   "},
      {"char(3)", 3, "", "   "},
      {"nchar(8)", 10, "616210", "ab  "},  // odd: SCSU, padded to four characters
      {"nchar(8)", 10, "4100", "A   "},    // even: UTF-16
      {"nvarchar(40)", 11, "715c3075", "山田"},
      {"nvarchar(40)", 11, "48690e5c71", "Hi山"},
      {"varchar(10)", 17, "", ""},
      {"varchar(10)", 17, "e9", "é"},  // 8-bit text is never SCSU
      {"decimal(9)", 24, "c1031590", "12.345", 9, 3},
      {"decimal(9)", 24, "", "0.00", 9, 2},
  };
  for (const ValueCase& c : cases) {
    ColumnDef column = Column(c.typeText, c.code, 1);
    column.precision = c.precision;
    column.scale = c.scale;
    EXPECT_EQ(One(column, Hex(c.storedHex)), c.text) << c.typeText << " " << c.storedHex;
  }
}

TEST_F(CompressedRows, BitsNullsAndColumnsAddedLater) {
  const std::vector<ColumnDef> columns = {Column("bit(1)", 2, 1), Column("bit(1)", 2, 2),
                                          Column("int(4)", 9, 3), Column("int(4)", 9, 4)};
  // Three columns stored: true, false (empty), NULL; the fourth came later.
  EXPECT_EQ(Render(columns, {CompressedRecord(0x01, {11, 1, 0}, {})}),
            (std::vector<Texts>{{"True", "False", "NULL", "NULL"}}));
}

// The record ends with a versioning tag (status bit 1); it changes nothing.
TEST_F(CompressedRows, AVersionedRecordReadsAsAnyOther) {
  const std::vector<ColumnDef> columns = {Column("int(4)", 9, 1), Column("varchar(10)", 17, 2)};
  const Bytes plain = CompressedRecord(0x01, {2, 4}, Concat({Hex("81"), Text("abc")}));
  Bytes versioned = CompressedRecord(0x03, {2, 4}, Concat({Hex("81"), Text("abc")}));
  versioned.insert(versioned.end(), 14, 0xEE);
  EXPECT_EQ(Render(columns, {plain, versioned}), (std::vector<Texts>{{"1", "abc"}, {"1", "abc"}}));
}

// Above 30 columns a cluster byte follows the codes; above 127 the column
// count takes two bytes.
TEST_F(CompressedRows, WideRecordsSkipTheirClusterBytes) {
  for (int count : {30, 31, 130}) {
    std::vector<ColumnDef> columns;
    std::vector<std::uint8_t> codes;
    Bytes shortData;
    Texts expected;
    for (int i = 1; i <= count; ++i) {
      columns.push_back(Column("int(4)", 9, i));
      codes.push_back(2);
      shortData.push_back(static_cast<std::uint8_t>(0x80 + i % 100));
      expected.push_back(std::to_string(i % 100));
    }
    const Bytes longValue = Text("long");
    columns.push_back(Column("varchar(10)", 17, count + 1));
    codes.push_back(10);
    expected.push_back("long");
    EXPECT_EQ(Render(columns, {CompressedRecord(0x01, codes, shortData, {{longValue}})}),
              std::vector<Texts>{expected})
        << count << " columns";
  }
}

// Page compression: (name varchar, qty int, code char(4)) against the anchor
// ("ABCDE", 1000, none) and the dictionary {03 'Z', 01 E9}.
TEST_F(CompressedRows, PageCompressionPutsBackPrefixesAndSymbols) {
  const std::vector<ColumnDef> columns = {Column("varchar(20)", 17, 1), Column("int(4)", 9, 2),
                                          Column("char(4)", 3, 3)};
  const Bytes anchor = CompressedRecord(0x01, {6, 3, 0}, Concat({Text("ABCDE"), Hex("83e8")}));
  const Bytes info = testing::CompressionInfoBytes(anchor, {Hex("035a"), Hex("01e9")});
  const std::vector<Bytes> records = {
      // Prefixes: 3 bytes of "ABCDE" then "XY"; 1 byte of 83 E8 then E9.
      CompressedRecord(0x01, {4, 3, 3}, Concat({Hex("035859"), Hex("01e9"), Text("xy")})),
      // Symbols: entries are stored with their prefix length.
      CompressedRecord(0x01, {12, 12, 1}, Hex("0001")),
      // An empty value is empty (0 for the int), whatever the anchor holds;
      // a symbol beyond the dictionary is an empty value.
      CompressedRecord(0x01, {12, 1, 0}, Hex("02")),
      CompressedRecord(0x01, {1, 1, 0}, {}),
      // Prefixes longer than the anchor value: nothing is invented.
      CompressedRecord(0x01, {3, 2, 0}, Concat({Hex("0741"), Hex("05")})),
      // A long value is stored against the anchor too.
      CompressedRecord(0x01, {10, 1, 0}, {}, {{Concat({Hex("02"), Text("123456789")})}}),
  };
  EXPECT_EQ(Render(columns, records, info), (std::vector<Texts>{
                                                {"ABCXY", "1001", "xy  "},
                                                {"ABCZ", "1001", "    "},
                                                {"", "0", "NULL"},
                                                {"", "0", "NULL"},
                                                {"", "", "NULL"},
                                                {"AB123456789", "0", "NULL"},
                                            }));
}

// A dictionary may take more than half the page; its last symbols count.
TEST_F(CompressedRows, SymbolsOfALargeDictionaryAreRead) {
  std::vector<Bytes> dictionary;
  for (int i = 0; i < 200; ++i) {
    dictionary.push_back(Text("entry" + std::string(12, 'x') + std::to_string(100 + i)));
  }
  const Bytes anchor = CompressedRecord(0x01, {0}, {});
  const Bytes info = testing::CompressionInfoBytes(anchor, dictionary);
  ASSERT_GT(info.size(), 4096u);
  EXPECT_EQ(Render({Column("varchar(40)", 17, 1)}, {CompressedRecord(0x01, {12}, {199})}, info),
            (std::vector<Texts>{{"entryxxxxxxxxxxxx299"}}));
}

// Vardecimal storage format: an uncompressed record whose decimal column is
// variable-length (negative leaf offset).
TEST_F(CompressedRows, VardecimalColumnsOfPlainRecordsAreVariable) {
  ColumnDef id = Column("int(4)", 9, 1);
  id.leafOffset = 4;
  id.nullBit = 1;
  ColumnDef amount = Column("decimal(9)", 24, 2);
  amount.precision = 9;
  amount.scale = 2;
  amount.leafOffset = -1;
  amount.nullBit = 2;
  const Bytes record = testing::FixedVarRecord(0x30, {7, 0, 0, 0}, 2, {0}, {{Hex("c21edc20")}});
  const Bytes zero = testing::FixedVarRecord(0x30, {8, 0, 0, 0}, 2, {0}, {{Bytes{}}});
  EXPECT_EQ(Render({id, amount}, {record, zero}),
            (std::vector<Texts>{{"7", "123.45"}, {"8", "0.00"}}));
}

// A compressed heap row moved to another page: its stub on page 1, the row on
// page 2 ending its long data with the back pointer to the stub. Each page
// has its own anchor ("qrstuv" on page 1, "abcdef" on page 2).
class ForwardedCompressedRow : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto page = [](std::int32_t number, const std::vector<testing::PageRecord>& records,
                         const char* anchor) {
      testing::PageLayout layout;
      layout.pageNumber = number;
      if (number == 0) {
        layout.objectId = 34;
        layout.indexId = 0;
      }
      if (anchor != nullptr) {
        layout.typeFlagBits = kCompressionInfoFlag;
        layout.compressionInfo =
            testing::CompressionInfoBytes(CompressedRecord(0x01, {7}, Text(anchor)), {});
      }
      return testing::MakeRecordPage(layout, records).bytes;
    };
    const Bytes stub = Concat({Hex("09"), Hex("02000000"), Hex("0100"), Hex("0000")});
    const Bytes backPointer =
        Hex("0400"
            "01000000"
            "0100"
            "0000");
    // Type 4 (forwarded): three bytes of the anchor, then "XY".
    const Bytes moved = CompressedRecord(0x11, {4}, Hex("035859"), {{backPointer, true}});
    Bytes file = page(0, {}, nullptr);
    for (const Bytes& p : {page(1, {{0, stub}}, "qrstuv"), page(2, {{0, moved}}, "abcdef")}) {
      file.insert(file.end(), p.begin(), p.end());
    }
    testing::WriteWholeFile(dir_.path() / "f.mdf", file);
    NullProgress progress;
    StopFlag stop;
    auto db = DatabaseFile::Open((dir_.path() / "f.mdf").string(), false, progress, stop);
    ASSERT_TRUE(db.ok());
    db_ = std::move(db).value();
    layout_.columns = {Column("varchar(20)", 17, 1)};
    layout_.rowsetColumns = {RowsetColumnRow{}};
  }

  std::vector<Texts> Rows(std::int32_t page) {
    RowContext context(layout_, *db_, TextDecoding(nullptr, {}), RecordOptions(), false);
    std::vector<Texts> rows;
    for (const RenderedRow& r : ReadPageRows({1, page}, context)) rows.push_back(testing::ShownTexts(r));
    return rows;
  }

  testing::TempDir dir_;
  std::unique_ptr<DatabaseFile> db_;
  TableLayout layout_;
};

TEST_F(ForwardedCompressedRow, ShowsOnceThroughItsStubWithItsOwnPagesAnchor) {
  EXPECT_EQ(Rows(1), (std::vector<Texts>{{"abcXY"}}));
  EXPECT_EQ(Rows(2), std::vector<Texts>{});  // reached through the stub on page 1
}

// Codes that promise more short bytes than the record holds.
TEST(CompressedRecordDamage, MissingShortBytesGiveEmptyValues) {
  CPrimaryRecord r;
  r.isCompressed = true;
  r.cdCodes = {9, 3, 2};
  r.bytes_ = Hex("8102");
  r.fixed_ = {0, 2};
  r.fixedLength = 2;
  const std::vector<StoredColumn> split = SplitCompressedRecord(r);
  ASSERT_EQ(split.size(), 3u);
  EXPECT_TRUE(split[0].missing);
  EXPECT_TRUE(split[1].missing);
  EXPECT_TRUE(split[2].missing);
  TextDecoding text(nullptr, {});
  EXPECT_EQ(testing::ShownTexts(RenderCompressedRecord(
                r, {}, {Column("bigint(8)", 0, 1), Column("int(4)", 9, 2)}, text, {}, nullptr)),
            (Texts{"", ""}));
}

}  // namespace
}  // namespace tessaril
