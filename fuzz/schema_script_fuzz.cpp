// Fuzz target for schema scripts: the input is a script's text, read for
// its CREATE TABLE statements, and each table laid out as SQL Server 2000
// and as later releases place a new table's columns.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "catalog/sql_script.h"
#include "values/script_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tessaril;
  const SqlScript script =
      ParseSqlScript(std::string_view(reinterpret_cast<const char*>(data), size));
  for (const ScriptTable& table : script.tables) {
    for (const bool sql2000 : {false, true}) (void)LayOutScriptTable(table, sql2000);
  }
  return 0;
}
