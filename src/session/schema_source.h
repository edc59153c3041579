// The schema a user gives for a damaged file: another copy of the database
// (healthy or older) or a T-SQL script with its CREATE TABLE statements.
#pragma once

#include <string>
#include <vector>

#include "base/result.h"
#include "base/stop_flag.h"
#include "values/schema_match.h"

namespace tessaril {

// The user tables of the schema at path: a data file is opened and its
// catalog rebuilt; anything else is read as a script (a .sql file always
// is). sql2000: the layout the damaged file keeps, which a script's tables
// are placed for. Fails when the file cannot be read, or holds neither a
// database nor a CREATE TABLE statement.
Result<std::vector<SchemaTable>> LoadSchemaSource(const std::string& path, bool sql2000,
                                                  StopFlag& stop);

}  // namespace tessaril
