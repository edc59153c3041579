// T-SQL scripts that create a database, read into what they declare: the
// tables of a schema script lay out the rows of a database whose own catalog
// is lost, and tests hold a recovered catalog and its rows against the
// script that made them.
//
// This is not a SQL parser. It knows the statements those scripts use
// (CREATE TABLE, ALTER TABLE ... ADD, CREATE INDEX, sp_addtype / CREATE TYPE,
// CREATE VIEW / PROCEDURE / TRIGGER / FUNCTION, INSERT ... VALUES) and steps
// over everything else (SET, USE, IF ... DROP, DBCC, print, BEGIN/END blocks)
// a token at a time. A GO line ends a batch; a module runs to the end of its
// batch. Nothing makes it fail: what it does not understand it leaves out.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/result.h"

namespace tessaril {

// A type as declared. Arguments keep the script's units: nvarchar(20) has
// length 20 (characters), not the 40 bytes the catalog stores.
struct ScriptType {
  std::string type;    // base type in lower case ("varchar"); dec is decimal, integer int
  int length = -1;     // char(12) -> 12; -1 when not declared
  int precision = -1;  // decimal(9,2) -> 9; float(24) -> 24
  int scale = -1;      // decimal(9,2) -> 2; datetime2(3) -> 3
  bool isMax = false;  // varchar(max) and the like; length stays -1
};

// A type made by sp_addtype or CREATE TYPE ... FROM.
struct ScriptUserType : ScriptType {
  std::string name;
  std::optional<bool> nullable;  // its 'NULL' / 'NOT NULL' argument
};

// A column. A user type is resolved: type and its arguments are the base
// type's, userType is the name as written. A computed column (name AS expr)
// has an empty type.
struct ScriptColumn : ScriptType {
  std::string name;
  std::string userType;
  // NULL / NOT NULL on the column, else its user type's; empty when the
  // script leaves it to the server (a PRIMARY KEY does not count).
  std::optional<bool> nullable;
  std::optional<std::pair<long long, long long>> identity;  // (seed, increment)
};

// A PRIMARY KEY or UNIQUE constraint. name is empty when the script leaves it
// to the server. clustered follows the server's default when not written:
// a primary key is clustered, a unique key is not.
struct ScriptKey {
  std::string name;
  std::vector<std::string> columns;
  bool clustered = false;
  bool operator==(const ScriptKey&) const = default;
};

// CREATE [UNIQUE] [CLUSTERED | NONCLUSTERED] INDEX.
struct ScriptIndex : ScriptKey {
  bool unique = false;
  bool operator==(const ScriptIndex&) const = default;
};

// REFERENCES without a column list takes the referenced table's primary key.
struct ScriptForeignKey {
  std::string name;
  std::vector<std::string> columns;
  std::string referencedTable;
  std::vector<std::string> referencedColumns;
  bool operator==(const ScriptForeignKey&) const = default;
};

struct ScriptTable {
  std::string name;  // without schema, quotes or brackets
  std::vector<ScriptColumn> columns;
  std::optional<ScriptKey> primaryKey;
  std::vector<ScriptKey> uniqueKeys;
  std::vector<ScriptForeignKey> foreignKeys;
  std::vector<ScriptIndex> indexes;

  const ScriptColumn* FindColumn(std::string_view columnName) const;
};

// A view, procedure, trigger or function.
struct ScriptModule {
  std::string name;
  std::string kind;  // the catalog's type code: "V ", "P ", "TR", "FN", "IF", "TF"
  std::string text;  // from CREATE to the end of its batch, trailing blanks cut, line ends kept
};

// One row of an INSERT. Values are the literals' SQL values: a string without
// its quotes and with '' made one (N'..' the same), NULL as nullopt, anything
// else (numbers, $ amounts, 0x binaries, CONVERT(...)) as written.
struct ScriptInsert {
  std::string table;
  std::vector<std::string> columns;  // when the INSERT lists them
  std::vector<std::optional<std::string>> values;
};

struct SqlScript {
  std::vector<ScriptUserType> userTypes;
  std::vector<ScriptTable> tables;    // in the order the script creates them
  std::vector<ScriptModule> modules;  // likewise
  std::vector<ScriptInsert> inserts;  // likewise, one per row

  // Names compare without regard to case, as the server's default collation does.
  const ScriptTable* FindTable(std::string_view name) const;
  const ScriptModule* FindModule(std::string_view name) const;
  std::vector<const ScriptInsert*> InsertsInto(std::string_view table) const;
  // The columns a row's values go to: those it lists, else every column of
  // its table but an identity or computed one. Empty for an unknown table.
  std::vector<std::string> FilledColumns(const ScriptInsert& row) const;
};

// decimal and numeric without a precision are decimal(18,0).
inline constexpr int kDefaultDecimalPrecision = 18;

// The type as a script declares it, with the defaults SQL Server fills in
// (decimal is decimal(18,0), char is char(1)); a user type by its name.
std::string ScriptDeclaredType(const ScriptColumn& column);

// Reads a script held as UTF-8 text.
SqlScript ParseSqlScript(std::string_view text);

// Reads a script file: UTF-16LE or UTF-8 after a byte order mark, else UTF-8
// when it is valid, else code page 1252.
Result<SqlScript> LoadSqlScript(const std::filesystem::path& file);

}  // namespace tessaril
