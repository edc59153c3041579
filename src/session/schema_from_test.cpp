// Copies of corpus files whose catalog is lost whole (every page of the
// object, allocation unit, rowset and column tables zeroed), read with the
// schema of a healthy copy or of the script that made them: every table
// comes back under its own name, row for row as the clean file gives it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "session/table_reader.h"
#include "testing/corpus.h"
#include "testing/opened_scan.h"
#include "testing/row_texts.h"

namespace tessaril {
namespace {

using Rows = testing::RowTexts;

// Every row of the table of this name, sorted; nullopt when no table has it.
std::optional<Rows> SortedRows(const ScanSnapshot& scan, const std::string& name) {
  const Result<const CatalogObject*> object =
      FindObjectByName(scan->catalog, name, NameScope::kTables);
  if (!object) return std::nullopt;
  Result<std::unique_ptr<TableReader>> reader = TableReader::Open(scan, (*object)->id);
  if (!reader) return std::nullopt;
  Rows rows;
  ScanEvents quiet;
  (*reader)->ForEachPage(quiet, [&](const GridPage& page) {
    for (const RenderedRow& row : page.rows) rows.push_back(testing::ShownTexts(row));
    return true;
  });
  std::sort(rows.begin(), rows.end());
  return rows;
}

// The catalog tables whose pages are zeroed: in SQL Server 2000 the object,
// index and column tables; later the object, allocation unit, rowset and
// column tables.
constexpr std::int32_t kCatalog2000[] = {1, 2, 3};
constexpr std::int32_t kCatalog[] = {34, 7, 5, 41};

// Writes a copy of the file with its catalog zeroed into dir.
std::filesystem::path LoseCatalog(const testing::CorpusFile& file, const DatabaseFile& db,
                                  bool sql2000, const testing::TempDir& dir) {
  std::vector<std::uint8_t> bytes = testing::ReadWholeFile(file.path);
  const std::span<const std::int32_t> tables = sql2000 ? std::span<const std::int32_t>(kCatalog2000)
                                                       : std::span<const std::int32_t>(kCatalog);
  for (const std::int32_t table : tables) {
    const auto pages = db.inventory().systemPages.find(table);
    if (pages == db.inventory().systemPages.end()) continue;
    for (const PageEntry& e : pages->second) {
      const std::size_t at = static_cast<std::size_t>(e.id().pageNumber) * kPageSize;
      std::fill_n(bytes.data() + at, kPageSize, 0);
    }
  }
  const std::filesystem::path copy = dir.path() / file.file;
  testing::WriteWholeFile(copy, bytes);
  return copy;
}

struct SchemaCase {
  const char* dir;
  const char* script;  // the schema script under the corpus; null: the clean file is the schema
};

class SchemaFrom : public ::testing::TestWithParam<SchemaCase> {};

TEST_P(SchemaFrom, GivesEveryTableBackUnderItsName) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile(GetParam().dir);
  ASSERT_TRUE(file);
  const ScanSnapshot clean = testing::OpenScan(file->path.string());
  ASSERT_TRUE(clean);
  testing::TempDir dir;
  const std::filesystem::path damaged =
      LoseCatalog(*file, *clean->db, clean->catalog.sql2000Layout, dir);
  ReadSettings settings;
  settings.schemaFrom = GetParam().script != nullptr
                            ? (*testing::CorpusDir() / GetParam().script).string()
                            : file->path.string();
  const ScanSnapshot recovered = testing::OpenScan(damaged.string(), settings);
  ASSERT_TRUE(recovered);
  int tables = 0;
  for (const CatalogObject& o : clean->catalog.objects) {
    if (o.type != "U " || o.systemOwned) continue;
    const std::optional<Rows> before = SortedRows(clean, o.name);
    ASSERT_TRUE(before);
    if (before->empty()) continue;  // no page of it is left to find
    SCOPED_TRACE(o.name);
    const std::optional<Rows> after = SortedRows(recovered, o.name);
    ASSERT_TRUE(after) << "no table of this name";
    EXPECT_EQ(*after, *before);
    ++tables;
  }
  EXPECT_GE(tables, 6);
}

INSTANTIATE_TEST_SUITE_P(
    LostCatalogs, SchemaFrom,
    ::testing::Values(SchemaCase{"sql2016_dailynutrition", nullptr},
                      SchemaCase{"sql2000_northwind", "_groundtruth/instnwnd.sql"},
                      SchemaCase{"sql2008r2_northwind", "_groundtruth/instnwnd.sql"},
                      SchemaCase{"sql2014_pubs", "sql2014_pubs/Pubs.sql"}),
    [](const auto& param) {
      return std::string(param.param.dir) + (param.param.script ? "_script" : "_copy");
    });

// A schema that is not the database's names no lost table: each keeps its
// own name and shows its records as stored. A schema file that cannot be
// read fails the open, saying which.
TEST(SchemaFromAnotherDatabase, NamesNoTable) {
  TESSARIL_REQUIRE_CORPUS();
  const SchemaCase foreign[] = {{"sql2008r2_northwind", "sql2014_pubs/Pubs.sql"},
                                {"sql2014_pubs", "_groundtruth/instnwnd.sql"}};
  for (const SchemaCase& c : foreign) {
    SCOPED_TRACE(c.dir);
    const auto file = testing::FindCorpusFile(c.dir);
    ASSERT_TRUE(file);
    const ScanSnapshot clean = testing::OpenScan(file->path.string());
    ASSERT_TRUE(clean);
    testing::TempDir dir;
    const std::filesystem::path damaged = LoseCatalog(*file, *clean->db, false, dir);
    ReadSettings settings;
    settings.schemaFrom = (*testing::CorpusDir() / c.script).string();
    const ScanSnapshot recovered = testing::OpenScan(damaged.string(), settings);
    ASSERT_TRUE(recovered);
    ASSERT_FALSE(recovered->catalog.lostUnits.empty());
    for (const auto& [id, unit] : recovered->catalog.lostUnits) {
      EXPECT_EQ(unit.schema, nullptr);
      const CatalogObject* object = recovered->catalog.FindObject(id);
      ASSERT_NE(object, nullptr);
      EXPECT_TRUE(object->name.starts_with("LostAndFound_")) << object->name;
    }
    OpenRequest request;
    request.path = damaged.string();
    request.settings.schemaFrom = (dir.path() / "missing.sql").string();
    ScanEvents quiet;
    StopFlag stop;
    const Result<std::shared_ptr<ScanResult>> opened = OpenDatabase(request, quiet, stop);
    ASSERT_FALSE(opened.ok());
    EXPECT_NE(opened.error().find("missing.sql"), std::string::npos) << opened.error();
  }
}

}  // namespace
}  // namespace tessaril
