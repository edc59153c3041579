// The schema of a recovered database as T-SQL that runs on an empty
// database: CREATE TABLE statements with the declared types, and the keys,
// constraints and modules as named, runnable statements.
#pragma once

#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "catalog/table_layout.h"
#include "session/scan_result.h"
#include "values/module_text.h"

namespace tessaril {

// The columns of a layout a recovered table keeps: named ones with storage,
// and computed ones (which have none).
std::vector<std::size_t> ExportedColumns(const TableLayout& layout);
bool IsComputed(const ColumnDef& column);

// "CREATE TABLE [dbo].[T] (\r\n  [a] int NOT NULL IDENTITY(1,1),\r\n ...)":
// declared types (a user type as the type it stores, its name in a
// comment), nullability, a collation that differs from the database's,
// identity, computed columns by their definition. name, when given,
// replaces the table's own (the table of deleted rows); extraColumns are
// appended as they stand.
std::string CreateTableStatement(const ScanResult& scan, const TableLayout& layout,
                                 const std::string& quotedName,
                                 const std::vector<std::string>& extraColumns = {});

// A statement the schema ends with: what it belongs to and its text.
struct SchemaStatement {
  std::int32_t objectId = 0;
  std::string kind;  // "primary key", "view", ... (ObjectKindName)
  std::string name;  // [schema].[name]
  std::string text;  // without a batch separator
};

// The keys and constraints of the tables, as ALTER TABLE ... ADD CONSTRAINT
// statements: primary and unique keys, defaults and checks first, foreign
// keys last (every table exists by then).
std::vector<SchemaStatement> ConstraintStatements(const ScanResult& scan,
                                                  const std::vector<const CatalogObject*>& tables,
                                                  ModuleTexts& texts, const StopFlag& stop);

// The stored definitions of views, functions, procedures and triggers, a view
// after the views its definition names. Modules without a stored text are
// left out.
std::vector<SchemaStatement> ModuleStatements(const ScanResult& scan, ModuleTexts& texts,
                                              const StopFlag& stop);

}  // namespace tessaril
