// Every table the sample-database scripts create comes back from the data
// files they were run into: columns in order, types as stored and as
// declared, lengths, nullability, identity, primary, unique and foreign keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "catalog/catalog_builder.h"
#include "catalog/sql_script.h"
#include "catalog/table_layout.h"
#include "testing/corpus.h"

namespace tessaril {
namespace {

using testing::ScriptedFile;

class CatalogGroundTruth : public ::testing::TestWithParam<ScriptedFile> {};

// The stored length of a declared type: Unicode types take two bytes a character.
int StoredLength(const ScriptColumn& c) {
  const bool unicode = c.type == "nvarchar" || c.type == "nchar";
  return unicode ? 2 * c.length : c.length;
}

std::string TypeName(const ColumnDef& c) { return c.typeText.substr(0, c.typeText.find('(')); }

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
  return s;
}

using Reference = std::tuple<std::string, std::string, std::string>;  // column, table, column

// One scripted table against the catalog: its columns, keys and references.
void ExpectTableAsDeclared(const Catalog& catalog, const DatabaseFile& db,
                           const ScriptTable& table) {
  SCOPED_TRACE(table.name);
  const TableLayout layout = BuildTableLayout(catalog, db, table.name, "U ", {}, RecordOptions());
  ASSERT_EQ(layout.object.type, "U ");
  ASSERT_EQ(layout.columns.size(), table.columns.size());
  std::set<std::string> primaryKey;
  std::set<std::string> unique;
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    const ScriptColumn& expected = table.columns[i];
    const ColumnDef& got = layout.columns[i];
    SCOPED_TRACE(expected.name);
    EXPECT_EQ(got.name, expected.name);
    EXPECT_EQ(TypeName(got), expected.type);
    EXPECT_EQ(Lower(got.declaredType), Lower(ScriptDeclaredType(expected)));
    if (expected.length >= 0) {
      EXPECT_EQ(got.typeText, expected.type + "(" + std::to_string(StoredLength(expected)) + ")");
    }
    if (expected.precision >= 0 && expected.type != "float") {
      EXPECT_EQ(got.precision, expected.precision);
      EXPECT_EQ(got.scale, std::max(expected.scale, 0));
    }
    const bool keyColumn =
        table.primaryKey && std::count(table.primaryKey->columns.begin(),
                                       table.primaryKey->columns.end(), expected.name);
    if (expected.nullable) {
      EXPECT_EQ(got.isNullable, *expected.nullable);
    } else if (expected.identity || keyColumn) {
      EXPECT_FALSE(got.isNullable);
    }
    const std::string identity = expected.identity
                                     ? "identity(" + std::to_string(expected.identity->first) +
                                           "," + std::to_string(expected.identity->second) + ")"
                                     : "";
    EXPECT_EQ(got.identityText, identity);
    if (got.isPrimaryKeyColumn) primaryKey.insert(got.name);
    if (got.isUniqueConstraintColumn || got.isUniqueIndexColumn) unique.insert(got.name);
  }
  const std::set<std::string> expectedKey =
      table.primaryKey ? std::set<std::string>(table.primaryKey->columns.begin(),
                                               table.primaryKey->columns.end())
                       : std::set<std::string>();
  EXPECT_EQ(primaryKey, expectedKey);
  std::set<std::string> expectedUnique;
  for (const auto& key : table.uniqueKeys)
    expectedUnique.insert(key.columns.begin(), key.columns.end());
  for (const auto& index : table.indexes) {
    if (index.unique) expectedUnique.insert(index.columns.begin(), index.columns.end());
  }
  for (const std::string& column : expectedUnique)
    EXPECT_TRUE(unique.count(column)) << column << " unique";

  std::set<Reference> expectedReferences;
  for (const auto& fk : table.foreignKeys) {
    for (std::size_t k = 0; k < fk.columns.size() && k < fk.referencedColumns.size(); ++k) {
      expectedReferences.insert(
          {fk.columns[k], Lower(fk.referencedTable), fk.referencedColumns[k]});
    }
  }
  std::set<Reference> references;
  for (const ForeignKeyColumn& fk : catalog.foreignKeyColumns) {
    if (fk.referencingObjectId != layout.object.id) continue;
    references.insert(
        {fk.referencingColumnName, Lower(fk.referencedTableName), fk.referencedColumnName});
  }
  EXPECT_EQ(references, expectedReferences);
  for (const ColumnDef& column : layout.columns) {
    if (!column.isForeignKeyColumn) continue;
    EXPECT_TRUE(
        references.count({column.name, Lower(column.referencedTable), column.referencedColumn}))
        << column.name;
  }
}

TEST_P(CatalogGroundTruth, EveryScriptedTableComesBackAsDeclared) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile(GetParam().dir);
  ASSERT_TRUE(file);
  const auto script = LoadSqlScript(*testing::CorpusDir() / GetParam().script);
  ASSERT_TRUE(script.ok()) << script.error();
  ASSERT_FALSE(script->tables.empty());

  NullProgress progress;
  StopFlag stop;
  auto db = DatabaseFile::Open(file->path.string(), false, progress, stop);
  ASSERT_TRUE(db.ok());
  const Catalog catalog = BuildCatalog(**db, RecordOptions(), progress);

  for (const ScriptTable& table : script->tables) ExpectTableAsDeclared(catalog, **db, table);
}

INSTANTIATE_TEST_SUITE_P(ScriptedFiles, CatalogGroundTruth,
                         ::testing::ValuesIn(testing::kScriptedFiles),
                         [](const auto& param) { return std::string(param.param.dir); });

// A test database whose table of twenty-two types was made by the script
// beside it (its other tables come from other revisions of the script).
TEST(CatalogGroundTruthOfTypes, TheTypeTestTableComesBackAsDeclared) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2005_bltoolkit");
  ASSERT_TRUE(file);
  const auto script = LoadSqlScript(file->path.parent_path() / "MsSql.sql");
  ASSERT_TRUE(script.ok()) << script.error();
  const auto table = std::find_if(script->tables.begin(), script->tables.end(),
                                  [](const ScriptTable& t) { return t.name == "DataTypeTest"; });
  ASSERT_NE(table, script->tables.end());
  NullProgress progress;
  StopFlag stop;
  auto db = DatabaseFile::Open(file->path.string(), false, progress, stop);
  ASSERT_TRUE(db.ok());
  ExpectTableAsDeclared(BuildCatalog(**db, RecordOptions(), progress), **db, *table);
}

}  // namespace
}  // namespace tessaril
