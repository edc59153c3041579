// The layout SQL Server gives the rows of a table a script creates: what a
// schema script tells of a table whose catalog rows are lost.
#pragma once

#include <string>

#include "catalog/sql_script.h"
#include "catalog/table_layout.h"

namespace tessaril {

// The columns of a table created by the script, placed as a new table's
// are: the fixed columns in column order from the end of the record header,
// the bit columns eight to a byte at the first one's place, the variable
// columns numbered in column order, and each stored column's null bit its
// place among the stored columns (among all columns in SQL Server 2000,
// which counts computed columns too). The placements also come as rowset
// column rows, as the catalog of SQL Server 2005 and later keeps them: they
// tell how many columns a whole record holds (with a uniquifier, or in
// SQL Server 2000 computed columns). The object is the table's name, in
// schema dbo; it has no pages.
TableLayout LayOutScriptTable(const ScriptTable& table, bool sql2000);

}  // namespace tessaril
