// The layout a schema script gives a table, held against the layout the
// catalog of the file the script made keeps for it: the same place for
// every column, the same null bit and bit.
#include "values/script_layout.h"

#include <gtest/gtest.h>

#include <sstream>

#include "catalog/sql_script.h"
#include "testing/corpus.h"
#include "testing/opened_catalog.h"

namespace tessaril {
namespace {

// Where a column lies in its records, as one line to compare.
std::string PlacementText(const ColumnDef& c, bool sql2000) {
  std::ostringstream out;
  out << c.name << " " << c.typeText << " ordinal " << c.physicalOrdinal << " offset "
      << (sql2000 ? c.legacyOffset : c.leafOffset) << " null bit " << c.nullBit;
  if (c.typeCode == kBitCode) out << " bit " << c.bitPosition;
  return out.str();
}

std::vector<std::string> Placements(const TableLayout& layout, bool sql2000) {
  std::vector<std::string> lines;
  for (const ColumnDef& c : layout.columns) {
    if (c.physicalOrdinal != kNoStorage && !c.name.empty())
      lines.push_back(PlacementText(c, sql2000));
  }
  return lines;
}

struct ScriptCase {
  const char* dir;
  const char* script;
  const char* table;  // null: every table of the script
};

class ScriptLayout : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ScriptLayout, PlacesEveryColumnWhereTheCatalogDoes) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile(GetParam().dir);
  ASSERT_TRUE(file);
  const auto script = LoadSqlScript(*testing::CorpusDir() / GetParam().script);
  ASSERT_TRUE(script.ok()) << script.error();
  const testing::OpenedCatalog opened = testing::OpenWithCatalog(file->path.string());
  ASSERT_TRUE(opened.db);
  const bool sql2000 = opened.catalog.sql2000Layout;
  int compared = 0;
  for (const ScriptTable& table : script->tables) {
    if (GetParam().table != nullptr && table.name != GetParam().table) continue;
    const TableLayout stored =
        BuildTableLayout(opened.catalog, *opened.db, table.name, "U ", {}, {});
    if (stored.object.id < 0) continue;  // another revision of the script made it
    SCOPED_TRACE(table.name);
    EXPECT_EQ(Placements(LayOutScriptTable(table, sql2000), sql2000), Placements(stored, sql2000));
    ++compared;
  }
  EXPECT_GT(compared, 0);
}

INSTANTIATE_TEST_SUITE_P(
    ScriptedFiles, ScriptLayout,
    ::testing::Values(ScriptCase{"sql2000_northwind", "_groundtruth/instnwnd.sql", nullptr},
                      ScriptCase{"sql2008r2_northwind", "_groundtruth/instnwnd.sql", nullptr},
                      ScriptCase{"sql2008_pubs", "sql2008_pubs/instpubs.sql", nullptr},
                      ScriptCase{"sql2014_pubs", "sql2014_pubs/Pubs.sql", nullptr},
                      // twenty-two types, placed by the 2005 hobt columns
                      ScriptCase{"sql2005_bltoolkit", "sql2005_bltoolkit/MsSql.sql",
                                 "DataTypeTest"}),
    [](const auto& param) { return std::string(param.param.dir); });

}  // namespace
}  // namespace tessaril
