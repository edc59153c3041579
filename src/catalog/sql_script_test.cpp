#include "catalog/sql_script.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "base/unicode.h"
#include "testing/corpus.h"
#include "testing/test_files.h"

namespace tessaril {

void PrintTo(const ScriptKey& key, std::ostream* os) {
  *os << key.name << " " << ::testing::PrintToString(key.columns)
      << (key.clustered ? " clustered" : "");
}

void PrintTo(const ScriptForeignKey& fk, std::ostream* os) {
  *os << fk.name << " " << ::testing::PrintToString(fk.columns) << " -> " << fk.referencedTable
      << " " << ::testing::PrintToString(fk.referencedColumns);
}

namespace {

using testing::CorpusDir;
using ::testing::ElementsAre;
using ::testing::Optional;
using testing::TempDir;
using testing::WriteWholeFile;
using Value = std::optional<std::string>;
using Identity = std::optional<std::pair<long long, long long>>;

struct ColumnCase {
  const char* table;
  const char* column;
  const char* type;
  const char* userType;
  int length;
  int precision;
  int scale;
  std::optional<bool> nullable;
  Identity identity = std::nullopt;
  bool isMax = false;
};

void ExpectColumn(const SqlScript& script, const ColumnCase& c) {
  SCOPED_TRACE(std::string(c.table) + "." + c.column);
  const ScriptTable* table = script.FindTable(c.table);
  ASSERT_NE(table, nullptr);
  const ScriptColumn* column = table->FindColumn(c.column);
  ASSERT_NE(column, nullptr);
  EXPECT_EQ(column->type, c.type);
  EXPECT_EQ(column->userType, c.userType);
  EXPECT_EQ(column->length, c.length);
  EXPECT_EQ(column->precision, c.precision);
  EXPECT_EQ(column->scale, c.scale);
  EXPECT_EQ(column->nullable, c.nullable);
  EXPECT_EQ(column->identity, c.identity);
  EXPECT_EQ(column->isMax, c.isMax);
}

std::vector<std::string> ColumnNames(const ScriptTable& table) {
  std::vector<std::string> names;
  for (const ScriptColumn& column : table.columns) names.push_back(column.name);
  return names;
}

void ExpectRowsFitTheirTables(const SqlScript& script) {
  for (const ScriptInsert& row : script.inserts) {
    ASSERT_EQ(row.values.size(), script.FilledColumns(row).size()) << row.table;
  }
}

TEST(SqlScript, ReadsColumnsKeysAndUserTypes) {
  const SqlScript script = ParseSqlScript(R"(/* A comment that says
GO
CREATE TABLE Nothing (a int) */
EXEC sp_addtype id, 'varchar(11)', 'NOT NULL'
sp_addtype flag, bit, 'NULL'
GO
CREATE TYPE [dbo].[amount] FROM dec(19, 4) NULL
GO
CREATE TABLE "dbo"."Orders" (
  "OrderID" "int" IDENTITY (1, 1) NOT NULL ,
  [Code] id CONSTRAINT UQ_Code UNIQUE,
  Price numeric(9,2) NULL CONSTRAINT DF_Price DEFAULT (0),
  Note nvarchar (20) DEFAULT NULL,
  Kind char(12) NOT NULL DEFAULT ('UNDECIDED') CHECK (Kind <> ''),
  Body varchar(max) NULL,
  Counter bigint IDENTITY(-5, 10) NOT FOR REPLICATION,
  Stamp datetime2(3) NOT NULL DEFAULT getdate(),
  CONSTRAINT "PK_Orders" PRIMARY KEY  NONCLUSTERED ( "OrderID" ),
  CONSTRAINT CK_Price CHECK (Price >= 0)
)
GO
CREATE TABLE Lines (
  OrderID int NOT NULL CONSTRAINT CK_Order CHECK (OrderID > 0) REFERENCES Orders,
  Line smallint NOT NULL CONSTRAINT PK_Lines PRIMARY KEY CLUSTERED,
  Flag flag,
  Total amount,
  Doubled AS Line * 2
) ON [PRIMARY]
CREATE UNIQUE CLUSTERED INDEX ix_lines ON [dbo].[Lines] (OrderID DESC, Line)
GO
ALTER TABLE Lines WITH NOCHECK ADD
  CONSTRAINT FK_Lines_Orders FOREIGN KEY (OrderID, Line) REFERENCES "Orders" ("OrderID", Code),
  CONSTRAINT UQ_Lines UNIQUE CLUSTERED (Line, Flag)
INSERT Lines VALUES (1, 1, 0, 1.5))");

  const ColumnCase columns[] = {
      {"Orders", "OrderID", "int", "", -1, -1, -1, false, std::make_pair(1LL, 1LL)},
      {"Orders", "Code", "varchar", "id", 11, -1, -1, false},
      {"Orders", "Price", "numeric", "", -1, 9, 2, true},
      {"Orders", "Note", "nvarchar", "", 20, -1, -1, std::nullopt},  // DEFAULT NULL says nothing
      {"Orders", "Kind", "char", "", 12, -1, -1, false},
      {"Orders", "Body", "varchar", "", -1, -1, -1, true, std::nullopt, true},
      {"Orders", "Counter", "bigint", "", -1, -1, -1, std::nullopt, std::make_pair(-5LL, 10LL)},
      {"Orders", "Stamp", "datetime2", "", -1, -1, 3, false},
      {"Lines", "OrderID", "int", "", -1, -1, -1, false},
      {"Lines", "Flag", "bit", "flag", -1, -1, -1, true},
      {"Lines", "Total", "decimal", "amount", -1, 19, 4, true},
      {"Lines", "Doubled", "", "", -1, -1, -1, std::nullopt},
  };
  for (const ColumnCase& c : columns) ExpectColumn(script, c);

  ASSERT_EQ(script.tables.size(), 2u);
  const ScriptTable& orders = script.tables[0];
  const ScriptTable& lines = script.tables[1];
  EXPECT_EQ(ColumnNames(orders), (std::vector<std::string>{"OrderID", "Code", "Price", "Note",
                                                           "Kind", "Body", "Counter", "Stamp"}));
  EXPECT_EQ(ColumnNames(lines),
            (std::vector<std::string>{"OrderID", "Line", "Flag", "Total", "Doubled"}));
  EXPECT_THAT(orders.primaryKey, Optional(ScriptKey{"PK_Orders", {"OrderID"}, false}));
  EXPECT_THAT(orders.uniqueKeys, ElementsAre(ScriptKey{"UQ_Code", {"Code"}, false}));
  EXPECT_THAT(lines.primaryKey, Optional(ScriptKey{"PK_Lines", {"Line"}, true}));
  EXPECT_THAT(lines.uniqueKeys, ElementsAre(ScriptKey{"UQ_Lines", {"Line", "Flag"}, true}));
  // An unnamed REFERENCES without columns points at the referenced primary key;
  // the name before the CHECK is the CHECK's.
  EXPECT_THAT(
      lines.foreignKeys,
      ElementsAre(
          ScriptForeignKey{"", {"OrderID"}, "Orders", {"OrderID"}},
          ScriptForeignKey{"FK_Lines_Orders", {"OrderID", "Line"}, "Orders", {"OrderID", "Code"}}));
  EXPECT_THAT(lines.indexes,
              ElementsAre(ScriptIndex{{"ix_lines", {"OrderID", "Line"}, true}, true}));
  EXPECT_EQ(script.userTypes.size(), 3u);
  ASSERT_EQ(script.inserts.size(), 1u);  // the ALTER TABLE ends where the INSERT starts
  EXPECT_EQ(script.inserts[0].values.size(), 4u);
}

TEST(SqlScript, ReadsInsertRowsAsSqlValues) {
  const SqlScript script = ParseSqlScript(
      "SET NOCOUNT ON\nGO\n"
      "INSERT \"Order Details\"(\"OrderID\",\"Qty\") VALUES(10248,-12)\n"
      "insert authors\n   values('O''Leary', N'M\xC3\xBCnchen', NULL, $20.00, 0x0A1B,\n"
      "   CONVERT(money, 3), 'two\r\nlines', '')\n"
      "raiserror('Now at the inserts to pub_info ....',0,1)\n"
      "Insert Into [dbo].[Region] Values (1,'Eastern'), (2, 'Western');\n"
      "INSERT INTO Archive SELECT * FROM Region\n"
      "INSERT Region DEFAULT VALUES\n"
      "GO\n"
      "-- INSERT Region VALUES (9, 'line comment')\n"
      "/* INSERT Region VALUES (9, 'block comment') */\n"
      "print 'INSERT Region VALUES (9, ''string'')'\n");

  const struct {
    const char* table;
    std::vector<std::string> columns;
    std::vector<Value> values;
  } rows[] = {
      {"Order Details", {"OrderID", "Qty"}, {"10248", "-12"}},
      {"authors",
       {},
       {"O'Leary", "M\xC3\xBCnchen", std::nullopt, "$20.00", "0x0A1B", "CONVERT(money, 3)",
        "two\r\nlines", ""}},
      {"Region", {}, {"1", "Eastern"}},
      {"Region", {}, {"2", "Western"}},
  };
  ASSERT_EQ(script.inserts.size(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(script.inserts[i].table, rows[i].table);
    EXPECT_EQ(script.inserts[i].columns, rows[i].columns);
    EXPECT_EQ(script.inserts[i].values, rows[i].values);
  }
}

TEST(SqlScript, KeepsModulesWithTheirBatchText) {
  const SqlScript script = ParseSqlScript(
      "if exists (select * from sysobjects where id = object_id('dbo.Ten'))\n"
      "\tdrop procedure \"dbo\".\"Ten\"\nGO\n"
      "create view \"Current Product List\" AS\r\nSELECT ProductID FROM Products\r\n"
      "--ORDER BY ProductName\r\nGO\r\n\r\n"
      "CREATE PROC [dbo].[Ten] @n int = 10 AS\nSELECT 'GO' AS\ngo, 1 AS one\n go \n"
      "CREATE TRIGGER employee_insupd\nON employee\nFOR insert, UPDATE\nAS\n"
      "insert audit values (1)\n\nGO -- the trigger ends here\n"
      "CREATE FUNCTION dbo.Twice (@x int) RETURNS int AS BEGIN RETURN @x * 2 END\nGO\n"
      "CREATE FUNCTION Rows() RETURNS TABLE AS RETURN (SELECT 1 AS One)\nGO\n"
      "CREATE FUNCTION Log() RETURNS @t TABLE (a int) AS BEGIN RETURN END");

  const ScriptModule modules[] = {
      {"Current Product List", "V ",
       "create view \"Current Product List\" AS\r\nSELECT ProductID FROM Products\r\n"
       "--ORDER BY ProductName"},
      {"Ten", "P ", "CREATE PROC [dbo].[Ten] @n int = 10 AS\nSELECT 'GO' AS\ngo, 1 AS one"},
      {"employee_insupd", "TR",
       "CREATE TRIGGER employee_insupd\nON employee\nFOR insert, UPDATE\nAS\n"
       "insert audit values (1)"},
      {"Twice", "FN", "CREATE FUNCTION dbo.Twice (@x int) RETURNS int AS BEGIN RETURN @x * 2 END"},
      {"Rows", "IF", "CREATE FUNCTION Rows() RETURNS TABLE AS RETURN (SELECT 1 AS One)"},
      {"Log", "TF", "CREATE FUNCTION Log() RETURNS @t TABLE (a int) AS BEGIN RETURN END"},
  };
  ASSERT_EQ(script.modules.size(), std::size(modules));
  for (std::size_t i = 0; i < std::size(modules); ++i) {
    EXPECT_EQ(script.modules[i].name, modules[i].name);
    EXPECT_EQ(script.modules[i].kind, modules[i].kind) << modules[i].name;
    EXPECT_EQ(script.modules[i].text, modules[i].text) << modules[i].name;
  }
  EXPECT_TRUE(script.inserts.empty());  // the trigger's own INSERT is part of its text
}

TEST(SqlScript, LoadsEachScriptEncoding) {
  const std::string text = "insert publishers values('9901', 'M\xC3\xBCnchen')\r\nGO\r\n";
  std::string latin1 = text;
  latin1.replace(latin1.find("\xC3\xBC"), 2, "\xFC");
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"utf16le", "\xFF\xFE" + Utf8ToUtf16LeBytes(text)},
      {"utf8-bom", "\xEF\xBB\xBF" + text},
      {"utf8", text},
      {"cp1252", latin1},
  };
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto path = dir.path() / c.name;
    WriteWholeFile(path, std::vector<std::uint8_t>(c.bytes.begin(), c.bytes.end()));
    const Result<SqlScript> script = LoadSqlScript(path);
    ASSERT_TRUE(script.ok()) << script.error();
    ASSERT_EQ(script->inserts.size(), 1u);
    EXPECT_THAT(script->inserts[0].values, ElementsAre(Value("9901"), Value("M\xC3\xBCnchen")));
  }
  EXPECT_FALSE(LoadSqlScript(dir.path() / "missing.sql").ok());
}

std::map<std::string, std::size_t> RowsPerTable(const SqlScript& script) {
  std::map<std::string, std::size_t> rows;
  for (const ScriptTable& table : script.tables) rows[table.name] = 0;
  for (const ScriptInsert& row : script.inserts) ++rows[row.table];
  return rows;
}

std::map<std::string, std::string> ModuleKinds(const SqlScript& script) {
  std::map<std::string, std::string> kinds;
  for (const ScriptModule& module : script.modules) kinds[module.name] = module.kind;
  return kinds;
}

TEST(SqlScriptCorpus, NorthwindDeclaresItsTablesModulesAndRows) {
  TESSARIL_REQUIRE_CORPUS();
  const Result<SqlScript> loaded = LoadSqlScript(*CorpusDir() / "_groundtruth" / "instnwnd.sql");
  ASSERT_TRUE(loaded.ok()) << loaded.error();
  const SqlScript& script = *loaded;

  // Every INSERT in the script starts its own line, so they were counted with
  //   iconv -f UTF-16LE -t UTF-8 instnwnd.sql |
  //   grep -ioE '^\s*insert\s+(into\s+)?("[^"]+"|\w+)' | sort | uniq -c
  // The two demographics tables get no rows.
  EXPECT_EQ(RowsPerTable(script), (std::map<std::string, std::size_t>{
                                      {"Categories", 8},
                                      {"CustomerCustomerDemo", 0},
                                      {"CustomerDemographics", 0},
                                      {"Customers", 91},
                                      {"EmployeeTerritories", 49},
                                      {"Employees", 9},
                                      {"Order Details", 2155},
                                      {"Orders", 830},
                                      {"Products", 77},
                                      {"Region", 4},
                                      {"Shippers", 3},
                                      {"Suppliers", 29},
                                      {"Territories", 53},
                                  }));
  ExpectRowsFitTheirTables(script);

  const ScriptTable* employees = script.FindTable("Employees");
  ASSERT_NE(employees, nullptr);
  EXPECT_EQ(ColumnNames(*employees),
            (std::vector<std::string>{"EmployeeID", "LastName", "FirstName", "Title",
                                      "TitleOfCourtesy", "BirthDate", "HireDate", "Address", "City",
                                      "Region", "PostalCode", "Country", "HomePhone", "Extension",
                                      "Photo", "Notes", "ReportsTo", "PhotoPath"}));
  ExpectColumn(script,
               {"Employees", "EmployeeID", "int", "", -1, -1, -1, false, std::make_pair(1LL, 1LL)});
  ExpectColumn(script, {"Employees", "LastName", "nvarchar", "", 20, -1, -1, false});
  EXPECT_THAT(employees->primaryKey, Optional(ScriptKey{"PK_Employees", {"EmployeeID"}, true}));
  EXPECT_THAT(employees->foreignKeys,
              ElementsAre(ScriptForeignKey{
                  "FK_Employees_Employees", {"ReportsTo"}, "Employees", {"EmployeeID"}}));
  // Keys added later by ALTER TABLE, in bracketed names.
  const ScriptTable* territories = script.FindTable("EmployeeTerritories");
  ASSERT_NE(territories, nullptr);
  EXPECT_THAT(territories->primaryKey,
              Optional(ScriptKey{"PK_EmployeeTerritories", {"EmployeeID", "TerritoryID"}, false}));
  EXPECT_EQ(territories->foreignKeys.size(), 2u);

  // A value that runs over a line break, and N'' strings among numbers.
  const auto employeeRows = script.InsertsInto("Employees");
  EXPECT_EQ(employeeRows[0]->values[7], Value("507 - 20th Ave. E.\r\nApt. 2A"));
  EXPECT_TRUE(employeeRows[0]->values[14]->starts_with("0x151C2F00"));
  const ScriptInsert& order = *script.InsertsInto("Orders")[0];
  EXPECT_THAT(std::vector<Value>(order.values.begin(), order.values.begin() + 8),
              ElementsAre(Value("10248"), Value("VINET"), Value("5"), Value("7/4/1996"),
                          Value("8/1/1996"), Value("7/16/1996"), Value("3"), Value("32.38")));
  EXPECT_EQ(order.values[11], std::nullopt);

  const auto kinds = ModuleKinds(script);
  EXPECT_EQ(std::count_if(kinds.begin(), kinds.end(), [](auto& k) { return k.second == "V "; }),
            16);
  EXPECT_EQ(std::count_if(kinds.begin(), kinds.end(), [](auto& k) { return k.second == "P "; }), 7);
  for (const char* name :
       {"Ten Most Expensive Products", "Employee Sales by Country", "Sales by Year",
        "CustOrdersDetail", "CustOrdersOrders", "CustOrderHist", "SalesByCategory"}) {
    EXPECT_EQ(kinds.count(name), 1u) << name;
  }
  const ScriptModule* list = script.FindModule("Current Product List");
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->text.starts_with("create view \"Current Product List\" AS\r\nSELECT"));
  EXPECT_TRUE(list->text.ends_with("\r\n--ORDER BY Product_List.ProductName"));
}

// The three copies of the pubs script differ in encoding, line ends and the
// statements around the schema, not in what they declare. The one non-ASCII
// value in publishers went through different hands: the shared copy has lost
// it to U+FFFD, the others keep the original byte 0x81 (U+0081).
struct PubsCopy {
  const char* path;
  const char* munich;
};

void PrintTo(const PubsCopy& copy, std::ostream* os) { *os << copy.path; }

class SqlScriptPubs : public ::testing::TestWithParam<PubsCopy> {};

TEST_P(SqlScriptPubs, DeclaresTheSampleSchemaAndRows) {
  TESSARIL_REQUIRE_CORPUS();
  const Result<SqlScript> loaded = LoadSqlScript(*CorpusDir() / GetParam().path);
  ASSERT_TRUE(loaded.ok()) << loaded.error();
  const SqlScript& script = *loaded;

  // Counted with grep -ioE '^\s*insert\s+\w+' | sort | uniq -c; every INSERT starts a line.
  EXPECT_EQ(RowsPerTable(script), (std::map<std::string, std::size_t>{
                                      {"authors", 23},
                                      {"discounts", 3},
                                      {"employee", 43},
                                      {"jobs", 14},
                                      {"pub_info", 8},
                                      {"publishers", 8},
                                      {"roysched", 86},
                                      {"sales", 21},
                                      {"stores", 6},
                                      {"titleauthor", 25},
                                      {"titles", 18},
                                  }));
  ExpectRowsFitTheirTables(script);
  EXPECT_EQ(ModuleKinds(script), (std::map<std::string, std::string>{{"byroyalty", "P "},
                                                                     {"employee_insupd", "TR"},
                                                                     {"reptq1", "P "},
                                                                     {"reptq2", "P "},
                                                                     {"reptq3", "P "},
                                                                     {"titleview", "V "}}));

  const ColumnCase columns[] = {
      {"authors", "au_id", "varchar", "id", 11, -1, -1, false},
      {"titleauthor", "title_id", "varchar", "tid", 6, -1, -1, false},
      {"employee", "emp_id", "char", "empid", 9, -1, -1, false},
      {"employee", "job_lvl", "tinyint", "", -1, -1, -1, std::nullopt},
      {"discounts", "discount", "decimal", "", -1, 4, 2, false},
      {"jobs", "job_id", "smallint", "", -1, -1, -1, std::nullopt, std::make_pair(1LL, 1LL)},
      {"titles", "notes", "varchar", "", 200, -1, -1, true},
  };
  for (const ColumnCase& c : columns) ExpectColumn(script, c);

  const ScriptTable* titles = script.FindTable("titles");
  ASSERT_NE(titles, nullptr);
  EXPECT_THAT(titles->primaryKey, Optional(ScriptKey{"UPKCL_titleidind", {"title_id"}, true}));
  EXPECT_THAT(titles->foreignKeys,
              ElementsAre(ScriptForeignKey{"", {"pub_id"}, "publishers", {"pub_id"}}));
  const ScriptTable* employee = script.FindTable("employee");
  ASSERT_NE(employee, nullptr);
  EXPECT_THAT(employee->primaryKey, Optional(ScriptKey{"PK_emp_id", {"emp_id"}, false}));
  EXPECT_THAT(employee->indexes,
              ElementsAre(ScriptIndex{{"employee_ind", {"lname", "fname", "minit"}, true}, false}));
  EXPECT_THAT(script.FindTable("jobs")->primaryKey, Optional(ScriptKey{"", {"job_id"}, true}));

  EXPECT_EQ(script.InsertsInto("publishers")[6]->values[2], Value(GetParam().munich));
  const ScriptInsert& info = *script.InsertsInto("pub_info")[0];
  EXPECT_TRUE(info.values[1]->starts_with("0x474946383961D3001F00"));
  EXPECT_TRUE(info.values[2]->starts_with("This is sample text data for New Moon Books"));
  const ScriptInsert& netEtiquette = *script.InsertsInto("titles").back();
  EXPECT_THAT(netEtiquette.columns, ElementsAre("title_id", "title", "type", "pub_id", "notes"));
}

INSTANTIATE_TEST_SUITE_P(Copies, SqlScriptPubs,
                         ::testing::Values(PubsCopy{"_groundtruth/instpubs.sql", "M\uFFFDnchen"},
                                           PubsCopy{"sql2008_pubs/instpubs.sql", "M\u0081nchen"},
                                           PubsCopy{"sql2014_pubs/Pubs.sql", "M\u0081nchen"}));

}  // namespace
}  // namespace tessaril
