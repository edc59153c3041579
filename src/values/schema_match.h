// Tables whose catalog rows are lost, named and laid out again from a schema
// the user trusts: the tables of another copy of the database (yesterday's,
// say) or of the script that created it. A lost unit takes a table's layout
// only when its records fit that table and their values read as its types.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "catalog/table_layout.h"
#include "records/record_decoder.h"
#include "storage/database_file.h"

namespace tessaril {

// One table of the schema: its columns and placements (no pages), and in a
// copy of the database the ids of its in-row data units there.
struct SchemaTable {
  TableLayout layout;
  std::vector<std::uint64_t> unitIds;
};

// Gives each lost unit of the catalog (see catalog/lost_units.h) the layout
// and name of the schema table its records fit best; a unit that fits none,
// or several equally, keeps its own name and shows its records as stored.
// A table of a copy whose unit or object id is the lost one's is preferred,
// as it is the same table. A table recovered from its column rows alone
// takes the name of the copy's table of its id. Returns the lines the scan
// log gets: what was matched, and what was left and why.
std::vector<std::string> MatchLostUnits(Catalog& catalog, const DatabaseFile& db,
                                        const std::vector<SchemaTable>& schema,
                                        const RecordOptions& options);

}  // namespace tessaril
