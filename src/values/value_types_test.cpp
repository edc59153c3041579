// Every type a record stores, at every width its precision or scale gives,
// read from each place a value can lie: the fixed or variable part of a plain
// record, a sparse vector, and a compressed record. Each type is read as the
// last value and with another column after it, NULL and not NULL, so that a
// width off by one byte shows in the value itself or in the column after it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/compressed_layout.h"
#include "testing/record_builder.h"
#include "testing/row_texts.h"
#include "testing/corpus.h"
#include "values/row_renderer.h"

namespace tessaril {
namespace {

using testing::Bytes;
using testing::Hex;
using Texts = std::vector<std::string>;

// One type with one value: its bytes as a plain record and a sparse vector
// store them, as a compressed record stores them, and its text. `origin`
// says where the bytes come from: a real page of a corpus file, or built
// from the format rules.
struct TypeVector {
  const char* typeText;  // as the catalog names it: type name and stored length
  std::int32_t code;
  std::uint8_t precision;
  std::uint8_t scale;
  const char* stored;
  const char* compressed;  // nullptr: not read from a compressed record
  const char* text;
  const char* origin;
  bool sparse = true;  // the type can be a sparse column
};

constexpr const char* kBuilt = "constructed";

const TypeVector kTypes[] = {
    {"tinyint(1)", 14, 3, 0, "ff", "ff", "255", "real: sql2005_bltoolkit DataTypeTest.Byte_"},
    {"smallint(2)", 13, 5, 0, "ff7f", "ffff", "32767",
     "real: sql2005_bltoolkit DataTypeTest.Int16_"},
    {"int(4)", 9, 10, 0, "00800000", "808000", "32768",
     "real: sql2005_bltoolkit DataTypeTest.Int32_"},
    {"bigint(8)", 0, 19, 0, "40420f0000000000", "8f4240", "1000000",
     "real: sql2005_bltoolkit DataTypeTest.Int64_"},
    {"bit(1)", 2, 1, 0, "01", "", "True", kBuilt},
    {"real(4)", 28, 24, 0, "f0439a44", "f0439a44", "1234.123",
     "real: sql2005_bltoolkit DataTypeTest.Single_"},
    {"float(8)", 22, 53, 0, "54e3a59b444a9340", "54e3a59b444a9340", "1234.567",
     "real: sql2005_bltoolkit DataTypeTest.Double_"},
    {"float(8)", 22, 53, 0, "0000000000005940", "5940", "100", kBuilt},
    {"money(8)", 21, 19, 4, "40e2010000000000", "81e240", "12.3456",
     "real: sql2005_bltoolkit DataTypeTest.Money_"},
    {"smallmoney(4)", 29, 10, 4, "589effff", "1e58", "-2.5000", kBuilt},
    {"datetime(8)", 4, 23, 3, "ecbf31012ea40000", "80a42e0131bfec", "2015-01-28 18:33:12.040",
     "real: sql2005_bltoolkit DataTypeTest.DateTime_"},
    {"datetime(8)", 4, 23, 3, "de1b5901f39f0000", "809ff301591bde", "2012-02-10 20:56:30.180",
     "real: sql2012_helpdesk sysschobjs.created"},
    {"smalldatetime(4)", 27, 16, 0, "0000ac8e", "ac8e", "2000-01-01 00:00:00", kBuilt},
    {"date(3)", 5, 10, 0, "8b380b", "8b380b", "2014-05-19",
     "real: sql2012_helpdesk Request.DateMade"},
    {"date(3)", 5, 10, 0, "1f0d0b", "1f0d0b", "1983-12-12",
     "real: sql2019_students_ru Студенты.Дата_рождения"},
    // time, datetime2 and datetimeoffset take 3, 4 or 5 time bytes by scale.
    {"time(3)", 6, 8, 0, "f0b000", "f0b0", "12:34:56", kBuilt},
    {"time(3)", 6, 11, 2, "cc1d45", "cc1d45", "12:34:56.12", kBuilt},
    {"time(4)", 6, 12, 3, "fb29b302", "fb29b302", "12:34:56.123", kBuilt},
    {"time(4)", 6, 13, 4, "d2a3ff1a", "d2a3ff1a", "12:34:56.1234", kBuilt},
    {"time(5)", 6, 14, 5, "3966fc0d01", "3966fc0d01", "12:34:56.12345", kBuilt},
    {"time(5)", 6, 16, 7, "87ee977669", "87ee977669", "12:34:56.1234567", kBuilt},
    {"datetime2(6)", 7, 19, 0, "010000a0420b", "010000a0420b", "2021-06-12 00:00:01", kBuilt},
    {"datetime2(7)", 7, 23, 3, "ed030000a0420b", "ed030000a0420b", "2021-06-12 00:00:01.005",
     kBuilt},
    {"datetime2(8)", 7, 27, 7, "8196980000a0420b", "8196980000a0420b",
     "2021-06-12 00:00:01.0000001", kBuilt},
    // UTC 2021-06-12 00:00:01 at -06:00 is 2021-06-11 18:00:01 local time.
    {"datetimeoffset(8)", 8, 26, 0, "010000a0420b98fe", "010000a0420b98fe",
     "2021-06-11 18:00:01 -06:00", kBuilt},
    {"datetimeoffset(9)", 8, 31, 4, "15270000a0420b98fe", "15270000a0420b98fe",
     "2021-06-11 18:00:01.0005 -06:00", kBuilt},
    {"datetimeoffset(10)", 8, 34, 7, "8196980000a0420b98fe", "8196980000a0420b98fe",
     "2021-06-11 18:00:01.0000001 -06:00", kBuilt},
    // decimal and numeric take 5, 9, 13 or 17 bytes by precision; compressed
    // records keep them in the variable-length decimal form.
    {"numeric(5)", 23, 7, 3, "0188130000", "c00140", "5.000",
     "real: sql2016_dailynutrition Ingredients.ServingSize"},
    {"decimal(5)", 24, 6, 2, "012c010000", "c000c0", "3.00",
     "real: sql2016_dailynutrition Ingredients.TotalFat"},
    {"decimal(5)", 24, 4, 2, "011a040000", "c1029f40", "10.50",
     "real: sql2008_pubs discounts.discount"},
    {"decimal(9)", 24, 18, 2, "018303000000000000", "c0023de0", "8.99",
     "real: sql2012_mvcmusicstore Albums.Price"},
    {"decimal(13)", 24, 20, 2, "0187d612000000000000000000", "c403159a78", "12345.67",
     "real: sql2005_bltoolkit DataTypeTest.Decimal_"},
    {"numeric(13)", 23, 28, 4, "00ea7e26e5384da55a05000000", "4f0276c87cd2f6e8e504",
     "-9876543210987654.3210", kBuilt},
    {"decimal(17)", 24, 38, 10, "01c0badc727141eceade0fd7bfe3c61700",
     "d903159a9b853aa37de87b723150315996", "12345678901234567890123456.7890123456", kBuilt},
    {"uniqueidentifier(16)", 15, 0, 0, "ebd49918a3036140aa583eb69c83b281",
     "ebd49918a3036140aa583eb69c83b281", "1899D4EB-03A3-4061-AA58-3EB69C83B281",
     "real: sql2012_helpdesk sysdbfiles.fileguid"},
    {"uniqueidentifier(16)", 15, 0, 0, "5ebf53ed9b886443b078ec3c2975b33e",
     "5ebf53ed9b886443b078ec3c2975b33e", "ED53BF5E-889B-4364-B078-EC3C2975B33E",
     "real: sql2005_bltoolkit DataTypeTest.Guid_"},
    {"binary(20)", 1, 0, 0, "a189cde0722f184abb12c233c9f3665a00000000",
     "a189cde0722f184abb12c233c9f3665a", "0xA189CDE0722F184ABB12C233C9F3665A00000000",
     "real (cut to 20 bytes): sql2005_bltoolkit DataTypeTest.Binary_"},
    {"char(11)", 3, 0, 0, "3137322d33322d31313736", "3137322d33322d31313736", "172-32-1176",
     "real: sql2008_pubs authors.au_id"},
    {"char(3)", 3, 0, 0, "422020", "42", "B  ", kBuilt},
    {"nchar(10)", 10, 0, 0, "41004c0046004b004900", "414c464b49", "ALFKI",
     "real: sql2000_northwind Customers.CustomerID"},
    {"timestamp(8)", 30, 0, 0, "00000000000007d1", "07d1", "0x00000000000007D1", kBuilt, false},
    // Variable-length types.
    {"varchar(40)", 17, 0, 0, "5768697465", "5768697465", "White",
     "real: sql2008_pubs authors.au_lname"},
    {"nvarchar(100)", 11, 0, 0, "73007400720069006e006700", "737472696e6710", "string",
     "real: sql2005_bltoolkit DataTypeTest.String_"},
    // Alias types store their base type: sysname is nvarchar(128), pubs' tid
    // varchar(6).
    {"sysname(256)", 18, 0, 0, "73005f004d005300", "735f4d5310", "s_MS",
     "real (first four characters): sql2012_helpdesk sysschobjs.name"},
    {"varchar(6)", 17, 0, 0, "425531303332", "425531303332", "BU1032",
     "real: sql2008_pubs titles.title_id (alias type tid)"},
    {"varbinary(50)", 16, 0, 0, "eb91baaf09e7e644b38da23bd7ff9954",
     "eb91baaf09e7e644b38da23bd7ff9954", "0xEB91BAAF09E7E644B38DA23BD7FF9954",
     "real: sql2005_bltoolkit DataTypeTest.Bytes_"},
    {"sql_variant(8016)", 20, 0, 0, "380102000000", nullptr, "2",
     "real: sql2012_helpdesk sysobjvalues.value"},
    {"sql_variant(8016)", 20, 0, 0, "2a01008efe0040460b", nullptr, "2023-12-27 18:06:06",
     "vector sqlvar-iv-datetime2-0 (constructed)"},
    {"xml(-1)", 34, 0, 0,
     "dfff01b004f00472006f006f007400ef000001f801f00765006c0065006d0065006e007400ef000002f802f00773"
     "00740072006100740074007200ef000003f6031108730074007200760061006c0075006500f00769006e007400610"
     "0"
     "740074007200ef000004f604110531003200330034003500f5f7f7",
     nullptr, "<root><element strattr=\"strvalue\" intattr=\"12345\"/></root>",
     "real: sql2005_bltoolkit DataTypeTest.Xml_"},
    // The CLR types store their serialised bytes and show them as binary.
    {"hierarchyid(892)", 31, 0, 0, "5ac0", "5ac0", "0x5AC0", kBuilt, false},
    {"geometry(-1)", 32, 0, 0, "00000000010c000000000000f03f000000000000f03f",
     "00000000010c000000000000f03f000000000000f03f",
     "0x00000000010C000000000000F03F000000000000F03F", kBuilt, false},
    {"geography(-1)", 33, 0, 0, "e6100000010c00000000000044400000000000c05ec0",
     "e6100000010c00000000000044400000000000c05ec0",
     "0xE6100000010C00000000000044400000000000C05EC0", kBuilt, false},
};

constexpr std::int16_t kRecordHeaderLength = 4;
const Bytes kId = Hex("07000000");     // the first column: int 7
const Bytes kAfter = Hex("09000000");  // the column after the value: int 9

ColumnDef ValueColumn(const TypeVector& t) {
  ColumnDef c = MakeColumnDef("v", t.typeText, t.code);
  c.precision = t.precision;
  c.scale = t.scale;
  c.columnId = c.physicalOrdinal = 2;
  c.nullBit = 2;
  c.isNullable = true;
  c.isInRowset = true;
  return c;
}

ColumnDef IntColumn(const char* name, std::int32_t id, std::int16_t leafOffset) {
  ColumnDef c = MakeColumnDef(name, "int(4)", kIntCode);
  c.columnId = c.physicalOrdinal = id;
  c.nullBit = id;
  c.leafOffset = leafOffset;
  c.isNullable = true;
  c.isInRowset = true;
  return c;
}

bool IsVariable(const ColumnDef& c) { return c.isVariableLength || DescribeValue(c).variable; }

Bytes Concat(const Bytes& a, const Bytes& b) {
  Bytes out = a;
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

// The three columns (id, v, after) or the first two, and what they show.
struct Shape {
  bool followed;
  bool null;
};

Texts Expected(const TypeVector& t, const Shape& s) {
  Texts texts = {"7", s.null ? kNullText : t.text};
  if (s.followed) texts.push_back("9");
  return texts;
}

class ValueTypes : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::WriteWholeFile(dir_.path() / "t.mdf", testing::MakeRecordFile({{}}));
    NullProgress progress;
    StopFlag stop;
    auto db = DatabaseFile::Open((dir_.path() / "t.mdf").string(), false, progress, stop);
    ASSERT_TRUE(db.ok());
    db_ = std::move(db).value();
  }

  Texts Render(const std::vector<ColumnDef>& columns, const Bytes& record,
               const testing::PageLayout& page = {}) {
    const PrimaryRecordPage records(testing::MakeRecordPage(page, {{0, record}}), db_.get(), {});
    TableLayout table;
    table.columns = columns;
    table.rowsetColumns = {RowsetColumnRow{}};
    RowContext context(table, *db_, TextDecoding(nullptr, {}), RecordOptions(), false);
    const std::vector<RenderedRow> rows = RenderRows(records, context);
    return rows.size() == 1 ? testing::ShownTexts(rows[0]) : Texts{"<no row>"};
  }

  // A FixedVar record: a fixed value between id and after, or a variable
  // one with after as a second variable value.
  Texts Plain(const TypeVector& t, const Shape& s) {
    ColumnDef v = ValueColumn(t);
    const Bytes value = Hex(t.stored);
    const std::uint8_t nullBitmap = s.null ? 0x02 : 0x00;
    const auto count = static_cast<std::uint16_t>(s.followed ? 3 : 2);
    if (IsVariable(v)) {
      v.leafOffset = -1;
      ColumnDef after = MakeColumnDef("after", "varchar(10)", kVarcharCode);
      after.columnId = after.physicalOrdinal = after.nullBit = 3;
      after.leafOffset = -2;
      after.isInRowset = true;
      std::vector<testing::VarValue> values = {{s.null ? Bytes{} : value}};
      std::vector<ColumnDef> columns = {IntColumn("id", 1, 4), v};
      if (s.followed) {
        values.push_back({Hex("39")});  // "9"
        columns.push_back(after);
      }
      return Render(columns, testing::FixedVarRecord(0x30, kId, count, {nullBitmap}, values));
    }
    v.leafOffset = 8;
    Bytes fixed = Concat(kId, value);
    std::vector<ColumnDef> columns = {IntColumn("id", 1, 4), v};
    if (s.followed) {
      columns.push_back(
          IntColumn("after", 3, static_cast<std::int16_t>(kRecordHeaderLength + fixed.size())));
      fixed = Concat(fixed, kAfter);
    }
    return Render(columns, testing::FixedVarRecord(0x10, fixed, count, {nullBitmap}, {}));
  }

  // id and after in the fixed part, v in the record's sparse vector; a NULL
  // value is one the vector does not hold.
  Texts Sparse(const TypeVector& t, const Shape& s) {
    ColumnDef v = ValueColumn(t);
    v.isSparse = true;
    const Bytes value = s.null ? Bytes{} : Hex(t.stored);
    const auto end = static_cast<std::uint16_t>(8 + value.size());
    Bytes vector = {0x05,
                    0x00,
                    0x01,
                    0x00,
                    static_cast<std::uint8_t>(s.null ? 99 : 2),
                    0x00,
                    static_cast<std::uint8_t>(end & 0xFF),
                    static_cast<std::uint8_t>(end >> 8)};
    vector = Concat(vector, value);
    std::vector<ColumnDef> columns = {IntColumn("id", 1, 4), v};
    Bytes fixed = kId;
    if (s.followed) {
      columns.push_back(IntColumn("after", 3, 8));
      fixed = Concat(fixed, kAfter);
    }
    return Render(columns, testing::FixedVarRecord(0x30, fixed, 3, {0x00}, {{vector, true}}));
  }

  // A CD record: id, v and after as the record's columns 1-3; a value of
  // more than eight bytes lies in the long data region.
  Texts Compressed(const TypeVector& t, const Shape& s) {
    const Bytes value = Hex(t.compressed);
    std::vector<std::uint8_t> codes = {2};
    Bytes shortData = {0x87};  // int 7
    std::vector<testing::VarValue> longValues;
    if (s.null) {
      codes.push_back(kCdNull);
    } else if (t.code == kBitCode) {
      codes.push_back(kCdBitTrue);
    } else if (value.size() > 8) {
      codes.push_back(kCdLong);
      longValues.push_back({value});
    } else {
      codes.push_back(static_cast<std::uint8_t>(value.size() + 1));
      shortData = Concat(shortData, value);
    }
    std::vector<ColumnDef> columns = {IntColumn("id", 1, 4), ValueColumn(t)};
    if (s.followed) {
      codes.push_back(2);
      shortData.push_back(0x89);  // int 9
      columns.push_back(IntColumn("after", 3, 8));
    }
    return Render(columns, testing::CompressedRecord(0x01, codes, shortData, longValues));
  }

  testing::TempDir dir_;
  std::unique_ptr<DatabaseFile> db_;
};

TEST_F(ValueTypes, EveryTypeReadsItsOwnBytesWhereverItLies) {
  const Shape shapes[] = {{false, false}, {true, false}, {false, true}, {true, true}};
  for (const TypeVector& t : kTypes) {
    SCOPED_TRACE(std::string(t.typeText) + " " + t.stored + " (" + t.origin + ")");
    for (const Shape& s : shapes) {
      SCOPED_TRACE(std::string(s.followed ? "followed" : "last") + (s.null ? ", NULL" : ""));
      EXPECT_EQ(Plain(t, s), Expected(t, s)) << "plain record";
      if (t.sparse) {
        EXPECT_EQ(Sparse(t, s), Expected(t, s)) << "sparse vector";
      }
      if (t.compressed != nullptr) {
        EXPECT_EQ(Compressed(t, s), Expected(t, s)) << "compressed";
      }
    }
  }
}

// The width a column takes comes from its precision or scale, not from the
// stored length its column row gives.
TEST(ValueWidths, FollowPrecisionAndScale) {
  struct Case {
    const char* typeText;
    std::int32_t code;
    std::uint8_t precision;
    std::uint8_t scale;
    std::int16_t width;
  };
  const Case cases[] = {
      {"numeric(5)", 23, 1, 0, 5},
      {"numeric(5)", 23, 9, 2, 5},
      {"numeric(9)", 23, 10, 2, 9},
      {"decimal(9)", 24, 19, 0, 9},
      {"decimal(13)", 24, 20, 0, 13},
      {"decimal(13)", 24, 28, 0, 13},
      {"decimal(17)", 24, 29, 0, 17},
      {"numeric(17)", 23, 38, 38, 17},
      {"numeric(5)", 23, 0, 0, 0},
      {"decimal(17)", 24, 39, 0, 0},
      {"time(3)", 6, 8, 0, 3},
      {"time(3)", 6, 11, 2, 3},
      {"time(4)", 6, 12, 3, 4},
      {"time(4)", 6, 13, 4, 4},
      {"time(5)", 6, 14, 5, 5},
      {"time(5)", 6, 16, 7, 5},
      {"datetime2(6)", 7, 19, 2, 6},
      {"datetime2(7)", 7, 23, 4, 7},
      {"datetime2(8)", 7, 27, 7, 8},
      {"datetimeoffset(8)", 8, 26, 2, 8},
      {"datetimeoffset(9)", 8, 30, 3, 9},
      {"datetimeoffset(10)", 8, 34, 7, 10},
      {"time(5)", 6, 16, 8, 0},
      {"uniqueidentifier(16)", 15, 0, 0, 16},
  };
  for (const Case& c : cases) {
    ColumnDef column = MakeColumnDef("c", c.typeText, c.code);
    column.precision = c.precision;
    column.scale = c.scale;
    const ValueLayout layout = DescribeValue(column);
    EXPECT_EQ(layout.fixedWidth, c.width)
        << c.typeText << " p" << int{c.precision} << " s" << int{c.scale};
    EXPECT_FALSE(layout.variable || column.isVariableLength) << c.typeText;
  }
}

}  // namespace
}  // namespace tessaril
