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

// The literal of one cell: NULL, a number as rendered, 1 or 0 for bit,
// 'text' or N'text' by the column's type, 0x... for binary values, the date
// and time types through CONVERT(type, '...', 121) (CAST for time, whose
// text is ISO), the CLR types as CAST(0x... AS type). A value the renderer
// could not read (an empty text of a type that is no text) gives NULL and
// sets unreadable.
std::string SqlLiteral(const Cell& cell, const ColumnDef& column, bool& unreadable);

// Whether a column takes a value in an INSERT: stored, named, and not a
// rowversion (which SQL Server sets itself).
bool IsInsertable(const ColumnDef& column);

}  // namespace tessaril
