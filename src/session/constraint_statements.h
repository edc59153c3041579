// The ALTER TABLE statements the object viewer shows for the keys and
// constraints of a table, made from the rebuilt catalog and, for check and
// default constraints, from their stored definitions.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalog/catalog.h"

namespace tessaril {

// One key column, in key order.
struct KeyColumn {
  std::string name;
  bool descending = false;
};

// The index behind a primary or unique key of the table: the one named
// keyName, else, for a primary key, the table's primary key index. Null when
// the catalog holds none.
const IndexRow* FindKeyIndex(const Catalog& catalog, std::int32_t tableId, std::string_view keyName,
                             bool primaryKey);

// The key columns of an index, in key order; included columns are left out.
std::vector<KeyColumn> KeyColumnsOf(const Catalog& catalog, const IndexRow& index);

// The name of a column of a table; empty when the catalog has no such column.
std::string ColumnNameOf(const Catalog& catalog, std::int32_t tableId, std::int32_t columnId);

// The column a default constraint belongs to; empty when none names it.
std::string DefaultColumnOf(const Catalog& catalog, std::int32_t tableId, std::int32_t defaultId);

// True for a clustered index.
bool IsClustered(const IndexRow& index);

// "ALTER TABLE T ADD PRIMARY KEY ( a , b )". No columns give "()".
std::string PrimaryKeyStatement(std::string_view table, const std::vector<KeyColumn>& columns);

// "ALTER TABLE[dbo].[T] WITH NOCHECK ADD CONSTRAINT[K] UNIQUE NONCLUSTERED \r\n(\r\n
// [a] ASC,\r\n[b] DESC\r\n)".
std::string UniqueKeyStatement(std::string_view table, std::string_view keyName, bool clustered,
                               const std::vector<KeyColumn>& columns);

// "ALTER TABLE  [dbo].[T] WITH NOCHECK ADD CONSTRAINT[C] CHECK (definition)".
std::string CheckStatement(std::string_view table, std::string_view name,
                           std::string_view definition);

// "ALTER TABLE  [dbo].[T] ADD CONSTRAINT[D] DEFAULT (definition) FOR [column]";
// without the FOR part when the column is not known.
std::string DefaultStatement(std::string_view table, std::string_view name,
                             std::string_view definition, std::string_view column);

// "ALTER TABLE  [dbo].[T] WITH NOCHECK ADD CONSTRAINT[F] FOREIGN KEY([a], [b])
// REFERENCES [dbo].[R] ([x], [y])" from the catalog's foreign key columns of
// the key with this id (or, where the catalog kept no id, this name). Empty
// when the catalog holds no column of the key.
std::string ForeignKeyStatement(const Catalog& catalog, std::int32_t keyId,
                                std::string_view keyName);

}  // namespace tessaril
