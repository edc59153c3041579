#include "catalog/table_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog/column_row.h"
#include "catalog/declared_type.h"
#include "testing/record_builder.h"
#include "testing/test_files.h"
#include "testing/corpus.h"

namespace tessaril {
namespace {

TEST(HexText, DecodesPairsAndChoosesTheCharacterSet) {
  const HexBytes wide = DecodeHexText("0x41004200");
  EXPECT_EQ(wide.bytes, (std::vector<std::uint8_t>{0x41, 0x00, 0x42, 0x00}));
  EXPECT_TRUE(wide.hasInnerZero);
  EXPECT_EQ(HexTextToString("0x41004200"), "AB");
  EXPECT_EQ(HexTextToString("0x4142"), "AB");
  EXPECT_EQ(HexTextToString("0xE9"), "\u00E9");  // 8-bit text in the code page
  EXPECT_TRUE(DecodeHexText("0x").bytes.empty());
  EXPECT_EQ(HexTextToString(""), "");
}

// Last value, seed and increment, each of the column type's width, then a
// flags byte.
TEST(IdentityText, ReadsSeedAndIncrementAtTheTypesWidth) {
  struct Case {
    const char* hex;
    std::uint8_t systemType;
    const char* text;
  };
  const std::vector<Case> cases = {
      // Real: sql2005_bltoolkit DataTypeID (int) and queuing_order (bigint),
      // sql2000_northwind Orders.OrderID (autoval).
      {"02000000010000000100000000", 56, "identity(1,1)"},
      {"00000000000000000100000000000000000000000000000001", 127, "identity(1,1)"},
      {"452B0000010000000100000082", 56, "identity(1,1)"},
      // Constructed: negative seed, other widths, decimal, short, zero step.
      {"00000000FFFFFFFF0A00000000", 56, "identity(-1,10)"},
      {"0000E8030A0000", 52, "identity(1000,10)"},
      {"00FA0500", 48, "identity(250,5)"},
      {"0000000000000000FBFFFFFFFFFFFFFF030000000000000000", 127, "identity(-5,3)"},
      {"0100000000000000000100E40B540200000001020000000000000000", 108, "identity(10000000000,2)"},
      {"010203", 56, "identity(1,1)"},
      {"00000000050000000000000000", 56, "identity(5,1)"},
  };
  for (const Case& c : cases) {
    const std::vector<std::uint8_t> bytes = testing::Hex(c.hex);
    EXPECT_EQ(IdentityText(ByteView(bytes.data(), bytes.size()), c.systemType), c.text) << c.hex;
  }
}

TEST(MakeColumnDef, SetsStorageKindAndLengthByTypeCode) {
  struct Case {
    std::int32_t code;
    const char* typeText;
    bool variable;
    std::int16_t maxLength;
    std::int32_t codeAfter;
  };
  const std::vector<Case> cases = {
      {3, "char(12)", false, 12, 3},
      {9, "int(4)", false, 0, 9},
      {11, "nvarchar(40)", true, 40, 11},
      {18, "sysname(256)", true, 256, 11},
      {17, "varchar(-1)", true, 0, 17},
      {31, "hierarchyid(892)", true, 892, 31},
      {15, "uniqueidentifier(16)", false, 0, 15},
      {32, "geometry(-1)", true, -1, 32},
      {24, "decimal(9)", false, 9, 24},
      {40, "x(1)", true, 0, 17},
  };
  for (const Case& c : cases) {
    const ColumnDef d = MakeColumnDef("c", c.typeText, c.code);
    EXPECT_EQ(d.isVariableLength, c.variable) << c.typeText;
    EXPECT_EQ(d.maxLength, c.maxLength) << c.typeText;
    EXPECT_EQ(d.typeCode, c.codeAfter) << c.typeText;
    EXPECT_EQ(d.nullBit, -1);
  }
}

// A catalog built in memory around one table of three columns.
class LayoutOfBuiltCatalog : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::WriteWholeFile(
        dir_.path() / "x.mdf",
        testing::MakeFile(std::vector<testing::PageFields>(10, testing::PageFields{1, 34, 0})));
    NullProgress progress;
    StopFlag stop;
    auto db = DatabaseFile::Open((dir_.path() / "x.mdf").string(), false, progress, stop);
    ASSERT_TRUE(db.ok());
    db_ = std::move(db).value();

    catalog_.objects = {Object(500, "V ", "T"), Object(600, "U ", "T"),
                        Object(700, "PK", "PK_T", 600), Object(800, "P ", "proc")};
    catalog_.scalarTypes = {{56, 4, "int", 56, 4, 10, 0, 0, 0},
                            {167, 4, "varchar", 167, 8000, 0, 0, 0, 0}};
    // Column rows arrive in descending column id order.
    catalog_.columns = {Column(600, 3, "computed", 56), Column(600, 2, "name", 167),
                        Column(600, 1, "id", 56), Column(600 | 0x01000000, 1, "duplicate id", 56)};
    catalog_.rowsets = {{9000, 1, 600, 1, 1, 0, 1, 3}};
    catalog_.rowsetColumns = {{9000, 1, 1, 0, 4, 0x00010001, 0}, {9000, 2, 2, 0, -1, 2, 0}};
    catalog_.indexes = {{600, 1, "PK_T", 0x21, 1, 9000}};
    catalog_.indexColumns = {{600, 1, 1, 0, 1, 0, 0}};
    ForeignKeyColumn fk;
    fk.referencingObjectId = 600;
    fk.referencingColumnId = 2;
    fk.referencedTableName = "Other";
    fk.referencedColumnName = "code";
    catalog_.foreignKeyColumns = {fk};
  }
  static CatalogObject Object(std::int32_t id, const char* type, const char* name,
                              std::int32_t parent = 0) {
    CatalogObject o;
    o.id = id;
    o.type = type;
    o.name = name;
    o.parentId = parent;
    return o;
  }
  static ColumnRow Column(std::int32_t object, std::int32_t id, const char* name,
                          std::uint8_t type) {
    ColumnRow c;
    c.objectId = object;
    c.columnId = id;
    c.name = name;
    c.systemType = type;
    c.userType = type;
    c.length = type == 56 ? 4 : 20;
    return c;
  }
  TableLayout Layout(const char* name, const char* type, std::vector<ModuleTextEntry> texts = {}) {
    return BuildTableLayout(catalog_, *db_, name, type, texts, RecordOptions());
  }

  testing::TempDir dir_;
  std::unique_ptr<DatabaseFile> db_;
  Catalog catalog_;
};

TEST_F(LayoutOfBuiltCatalog, ATableIsFoundOnlyUnderItsOwnType) {
  // The view comes first in the catalog and is found by name alone.
  EXPECT_EQ(Layout("T", "U ").object.id, 500);
  catalog_.objects.erase(catalog_.objects.begin());
  const TableLayout table = Layout("T", "U ");
  EXPECT_EQ(table.object.id, 600);
  EXPECT_TRUE(table.layoutReady);
  EXPECT_EQ(Layout("T", "S ").object.id, -1);
  EXPECT_EQ(Layout("nothing", "U ").object.id, -1);

  const TableLayout module = Layout("proc", "U ");
  ASSERT_EQ(module.columns.size(), 3u);
  EXPECT_EQ(module.columns[0].valueText, "800");
  EXPECT_EQ(module.columns[1].valueText, "P ");
  EXPECT_EQ(module.columns[2].valueText, "proc");
  EXPECT_FALSE(module.layoutReady);
}

TEST_F(LayoutOfBuiltCatalog, ColumnsArePlacedKeyedAndComputedOnesHaveNoStorage) {
  catalog_.objects.erase(catalog_.objects.begin());
  const std::vector<ModuleTextEntry> texts = {
      {"600", "3", "0x280069006400290020002B00200031003000"}};
  const TableLayout t = Layout("T", "U ", texts);
  ASSERT_EQ(t.columns.size(), 3u);  // the row with a masked duplicate id is skipped
  EXPECT_EQ(t.columns[0].name, "id");
  EXPECT_EQ(t.columns[1].name, "name");
  EXPECT_EQ(t.columns[2].name, "computed");
  EXPECT_EQ(t.columns[0].typeText, "int(4)");
  EXPECT_EQ(t.columns[0].leafOffset, 4);
  EXPECT_EQ(t.columns[0].nullBit, 1);  // the high half of the stored null bit is not part of it
  EXPECT_TRUE(t.columns[0].isPrimaryKeyColumn);
  EXPECT_TRUE(t.columns[1].isForeignKeyColumn);
  EXPECT_EQ(ColumnItemText(t.columns[1]),
            "name  varchar(20)  (foreign key) references Other( code)");
  EXPECT_EQ(ColumnItemText(t.columns[0]), "id  int(4)[Primary Key]");
  EXPECT_FALSE(t.columns[2].isInRowset);
  EXPECT_EQ(t.columns[2].physicalOrdinal, kNoStorage);
  EXPECT_EQ(t.columns[2].valueText, "(id) + 10");
  EXPECT_EQ(t.firstStoredColumn, 0);
  ASSERT_EQ(t.constraints.size(), 1u);
  EXPECT_TRUE(t.constraints[0].isPrimaryKey);
}

// SQL Server 2005 placement rows give no bit position: bit columns sharing a
// byte take its bits in record order, whatever their column ids.
TEST_F(LayoutOfBuiltCatalog, BitColumnsOfTwoThousandFiveShareTheirByteInRecordOrder) {
  catalog_.objects.erase(catalog_.objects.begin());
  catalog_.rowsetColumns.clear();
  catalog_.columns = {Column(600, 1, "id", 56), Column(600, 2, "a", 104), Column(600, 3, "b", 104),
                      Column(600, 4, "c", 104), Column(600, 5, "d", 104)};
  // c is stored before b; d lies in a byte of its own.
  catalog_.hobtColumns = {{9000, 1, 0x00010004, 1},
                          {9000, 2, 0x00020008, 2},
                          {9000, 3, 0x00040008, 4},
                          {9000, 4, 0x00030008, 3},
                          {9000, 5, 0x00050009, 5}};
  const TableLayout t = Layout("T", "U ");
  ASSERT_EQ(t.columns.size(), 5u);
  const std::vector<std::uint16_t> expected = {0, 0, 2, 1, 0};
  for (std::size_t i = 1; i < t.columns.size(); ++i) {
    EXPECT_EQ(t.columns[i].bitPosition, expected[i]) << t.columns[i].name;
  }
}

TEST(DeclaredType, IsWrittenAsAScriptDeclaresIt) {
  Catalog catalog;
  catalog.scalarTypes = {{256, 4, "sysname", 231, 256, 0, 0, 0, 0},
                         {257, 1, "tid", 167, 6, 0, 0, 0, 0}};
  struct Case {
    std::uint8_t systemType;
    std::int32_t userType;
    std::int16_t length;
    std::uint8_t precision;
    std::uint8_t scale;
    const char* text;
  };
  const Case cases[] = {
      {56, 56, 4, 10, 0, "int"},
      {239, 239, 10, 0, 0, "nchar(5)"},
      {231, 231, 80, 0, 0, "nvarchar(40)"},
      {231, 231, -1, 0, 0, "nvarchar(max)"},
      {167, 167, -1, 0, 0, "varchar(max)"},
      {165, 165, -1, 0, 0, "varbinary(max)"},
      {173, 173, 50, 0, 0, "binary(50)"},
      {175, 175, 12, 0, 0, "char(12)"},
      {106, 106, 9, 10, 2, "decimal(10,2)"},
      {108, 108, 5, 7, 3, "numeric(7,3)"},
      {42, 42, 7, 23, 3, "datetime2(3)"},
      {41, 41, 5, 16, 7, "time(7)"},
      {43, 43, 10, 34, 7, "datetimeoffset(7)"},
      {62, 62, 8, 53, 0, "float"},
      {240, 128, 892, 0, 0, "hierarchyid"},
      {240, 130, -1, 0, 0, "geography"},
      {231, 256, 256, 0, 0, "sysname"},
      {167, 257, 6, 0, 0, "tid"},
      {167, 300, 6, 0, 0, "varchar(6)"},  // a user type the catalog lost
      {99, 99, 16, 0, 0, "ntext"},
      {200, 200, 4, 0, 0, ""},
  };
  for (const Case& c : cases) {
    ColumnRow row;
    row.systemType = c.systemType;
    row.userType = c.userType;
    row.length = c.length;
    row.precision = c.precision;
    row.scale = c.scale;
    EXPECT_EQ(DeclaredTypeText(catalog, row), c.text) << c.text;
  }
}

}  // namespace
}  // namespace tessaril
