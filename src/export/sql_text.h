// T-SQL as a script writes it: bracket-quoted names and the literal of every
// value the renderer gives, so that SQL Server reads back the same value.
#pragma once

#include <string>
#include <string_view>

#include "catalog/catalog.h"
#include "catalog/table_layout.h"
#include "values/row_context.h"

namespace tessaril {

// "[name]", a "]" inside doubled: reserved words, blanks and any character work.
std::string QuoteName(std::string_view name);
// "[schema].[name]" of a catalog object ("dbo" when the catalog names no schema).
std::string QuotedObjectName(const Catalog& catalog, const CatalogObject& object);
// "'text'" with quotes doubled; "N'text'" for Unicode text.
std::string StringLiteral(std::string_view text, bool unicode);
void AppendStringLiteral(std::string& out, std::string_view text, bool unicode);

// Whether a cell holds a value of its column's type: NULL, any text of a
// text column, and for the other types a text of the type's form. The
// renderer gives an empty text for a value it could not read; every
// format writes such a value as NULL and the export counts it.
bool ReadsAsItsType(const Cell& cell, const ColumnDef& column);

// The literal of one cell: NULL, a number as rendered, 1 or 0 for bit,
// 'text' or N'text' by the column's type, 0x... for binary values, the date
// and time types through CONVERT(type, '...', 121) (CAST for time, whose
// text is ISO), the CLR types as CAST(0x... AS type). A value that does not
// read as its type gives NULL and sets unreadable.
std::string SqlLiteral(const Cell& cell, const ColumnDef& column, bool& unreadable);
void AppendSqlLiteral(std::string& out, const Cell& cell, const ColumnDef& column,
                      bool& unreadable);

// Whether a column takes a value in an INSERT: stored, named, and not a
// rowversion (which SQL Server sets itself).
bool IsInsertable(const ColumnDef& column);

}  // namespace tessaril
