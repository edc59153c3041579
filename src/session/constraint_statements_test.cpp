#include "session/constraint_statements.h"

#include <gtest/gtest.h>

namespace tessaril {
namespace {

// A table (id 7) with columns a, b, c and a unique key over (c DESC, a),
// whose index rows list b as an included column and come out of key order.
Catalog KeyedCatalog() {
  Catalog catalog;
  for (const auto& [id, name] : {std::pair(1, "a"), std::pair(2, "b"), std::pair(3, "c")}) {
    ColumnRow c;
    c.objectId = 7;
    c.columnId = id;
    c.name = name;
    catalog.columns.push_back(c);
  }
  catalog.indexes.push_back({7, 1, "PK_T", 0x1 | 0x8 | 0x20, 1, 0});
  catalog.indexes.push_back({7, 2, "UQ_T", 0x1 | 0x8 | 0x40, 2, 0});
  catalog.indexColumns.push_back({7, 2, 1, 0x0, 1, 2, 0});   // a, second
  catalog.indexColumns.push_back({7, 2, 2, 0x10, 2, 0, 0});  // b, included
  catalog.indexColumns.push_back({7, 2, 3, 0x4, 3, 1, 0});   // c, first, descending
  catalog.indexColumns.push_back({7, 1, 1, 0x0, 2, 1, 0});
  return catalog;
}

TEST(KeyStatements, ColumnsInKeyOrderWithTheirDirection) {
  const Catalog catalog = KeyedCatalog();
  const IndexRow* unique = FindKeyIndex(catalog, 7, "UQ_T", false);
  ASSERT_NE(unique, nullptr);
  EXPECT_EQ(UniqueKeyStatement("T", "UQ_T", IsClustered(*unique), KeyColumnsOf(catalog, *unique)),
            "ALTER TABLE[dbo].[T] WITH NOCHECK ADD CONSTRAINT[UQ_T] UNIQUE NONCLUSTERED "
            "\r\n(\r\n[c] DESC,\r\n[a] ASC\r\n)");
  // A primary key item whose name the index rows do not carry still finds
  // the table's primary key.
  const IndexRow* primary = FindKeyIndex(catalog, 7, "PK_renamed", true);
  ASSERT_NE(primary, nullptr);
  EXPECT_EQ(PrimaryKeyStatement("T", KeyColumnsOf(catalog, *primary)),
            "ALTER TABLE T ADD PRIMARY KEY ( b )");
  EXPECT_EQ(FindKeyIndex(catalog, 7, "UQ_other", false), nullptr);
  EXPECT_EQ(PrimaryKeyStatement("", {}), "ALTER TABLE  ADD PRIMARY KEY ()");
}

TEST(KeyStatements, AForeignKeyWithoutColumnsGivesNoStatement) {
  EXPECT_EQ(ForeignKeyStatement(KeyedCatalog(), 99, "FK_T"), "");
}

}  // namespace
}  // namespace tessaril
