// The T-SQL type a column was declared with, as a script would write it:
// "decimal(10,2)", "nvarchar(40)", "varchar(max)", "datetime2(3)", "int", or
// the name of the user type it was declared with.
#pragma once

#include <string>
#include <string_view>

#include "catalog/catalog.h"
#include "catalog/column_row.h"

namespace tessaril {

// The name of a SQL Server system type (its xtype); for the CLR types (240)
// the user type tells hierarchyid, geometry and geography apart. Empty for an
// id no release uses.
std::string SystemTypeName(std::uint8_t systemType, std::int32_t userType);

// The system type (xtype) of a type name in lower case ("int", "nvarchar");
// 0 for a name no system type has. The CLR types give 240.
std::uint8_t SystemTypeId(std::string_view name);

// The declared type of a column row. A user type (an alias type such as
// sysname, or a CLR type) is given by its name from the catalog's type rows;
// a system type by its name and, where it takes them, its length in
// characters or bytes ("max" for the large types), its precision and scale,
// or its fractional-second scale.
std::string DeclaredTypeText(const Catalog& catalog, const ColumnRow& row);

// The system type a column row stores, as declared: a user type gives the
// type it is built on ("varchar(6)" for pubs' tid).
std::string StoredTypeText(const ColumnRow& row);

}  // namespace tessaril
