#include "session/table_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/corpus.h"

namespace tessaril {
namespace {

CatalogObject Object(std::int32_t id, std::string name, std::string type, std::int32_t schema,
                     bool systemOwned = false) {
  CatalogObject o;
  o.id = id;
  o.name = std::move(name);
  o.type = std::move(type);
  o.schemaId = schema;
  o.systemOwned = systemOwned;
  return o;
}

// A catalog with one name in two schemas, a view, a name with a dot and
// bracket, and a server-owned table beside a user one.
Catalog Names() {
  Catalog c;
  c.schemas = {{5, "school"}};
  c.objects = {Object(1, "Students", "U ", 1), Object(2, "Students", "U ", 5),
               Object(3, "Invoices", "V ", 1), Object(4, "odd.name]", "U ", 1),
               Object(5, "Студенты", "U ", 1), Object(6, "queue", "S ", 4, true),
               Object(7, "queue", "U ", 1),    Object(8, "Orders", "U ", 1),
               Object(9, "PK_Orders", "PK", 1)};
  return c;
}

TEST(FindObjectByName, NamesAsSqlServerTakesThem) {
  const Catalog catalog = Names();
  struct Case {
    const char* name;
    NameScope scope;
    std::int32_t id;  // 0: an error that contains the text
    const char* error;
  };
  const std::vector<Case> cases = {
      {"dbo.Students", NameScope::kTables, 1, ""},
      {"school.students", NameScope::kTables, 2, ""},
      {"[school].[Students]", NameScope::kTables, 2, ""},
      {"Students", NameScope::kTables, 0, "names 2 objects (dbo.Students, school.Students)"},
      {"orders", NameScope::kTables, 8, ""},
      {"ORDERS", NameScope::kTables, 8, ""},
      {"odd.name]", NameScope::kTables, 4, ""},
      {"[odd.name]]]", NameScope::kTables, 4, ""},
      {"студенты", NameScope::kTables, 5, ""},
      {"queue", NameScope::kTables, 7, ""},
      {"sys.queue", NameScope::kTables, 6, ""},
      {"invoices", NameScope::kTables, 0, "Invoices is a view, not a table"},
      {"invoices", NameScope::kObjects, 3, ""},
      {"PK_Orders", NameScope::kTables, 0, "is a primary key, not a table"},
      {"nosuch", NameScope::kTables, 0, "no table named nosuch"},
      {"nosuch", NameScope::kObjects, 0, "no object named nosuch"},
      {"guest.Orders", NameScope::kTables, 0, "no table named guest.Orders"},
  };
  for (const Case& c : cases) {
    const Result<const CatalogObject*> found = FindObjectByName(catalog, c.name, c.scope);
    if (c.id != 0) {
      ASSERT_TRUE(found.ok()) << c.name << ": " << found.error();
      EXPECT_EQ((*found)->id, c.id) << c.name;
    } else {
      ASSERT_FALSE(found.ok()) << c.name;
      EXPECT_NE(found.error().find(c.error), std::string::npos) << c.name << ": " << found.error();
    }
  }
}

// Two tables of one name in two schemas each show their own rows: the
// reader follows the object id, never the first table of the name.
TEST(TableReader, TablesOfOneNameInTwoSchemasShowTheirOwnRows) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2008_pubs");
  ASSERT_TRUE(file);
  OpenRequest request;
  request.path = file->path.string();
  ScanEvents quiet;
  StopFlag stop;
  Result<std::shared_ptr<ScanResult>> opened = OpenDatabase(request, quiet, stop);
  ASSERT_TRUE(opened.ok());
  ScanResult& scan = **opened;
  // An "archive.authors" that is stored as titles is.
  const Result<const CatalogObject*> titles =
      FindObjectByName(scan.catalog, "titles", NameScope::kTables);
  ASSERT_TRUE(titles.ok());
  CatalogObject archived = **titles;
  archived.name = "authors";
  archived.schemaId = 7;
  scan.catalog.schemas.push_back({7, "archive"});
  scan.catalog.objects.push_back(archived);
  const ScanSnapshot snapshot = std::move(opened).value();

  const auto rowsOf = [&](const char* name) -> std::size_t {
    const Result<const CatalogObject*> object =
        FindObjectByName(snapshot->catalog, name, NameScope::kTables);
    EXPECT_TRUE(object.ok()) << name;
    if (!object) return 0;
    Result<std::unique_ptr<TableReader>> table = TableReader::Open(snapshot, (*object)->id);
    EXPECT_TRUE(table.ok()) << name;
    return table ? (*table)->First(quiet).rows.size() : 0;
  };
  EXPECT_EQ(rowsOf("dbo.authors"), 23u);
  EXPECT_EQ(rowsOf("archive.authors"), 18u);
  EXPECT_FALSE(FindObjectByName(snapshot->catalog, "authors", NameScope::kTables).ok());
  EXPECT_FALSE(TableReader::Open(snapshot, (*titles)->id + 1000000).ok());
}

}  // namespace
}  // namespace tessaril
