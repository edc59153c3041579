// Data pages whose allocation unit no catalog row claims: the table they
// belong to lost its rows in the base tables (or the base tables are lost
// whole), yet its pages survive. Each unit becomes a table of its own.
#pragma once

#include "catalog/catalog.h"
#include "catalog/table_layout.h"

namespace tessaril {

// Adds to catalog.lostUnits, and to its objects as user tables named
// "LostAndFound_<unit id>", every unit of user data pages that no
// allocation unit, rowset or object of the catalog names, and that holds a
// page the PFS does not call free.
void AddLostUnits(Catalog& catalog, const DatabaseFile& db, const RecordOptions& options);

// The layout of a lost unit's table: its pages, and the columns of the
// schema table it was matched to, else a column "fixed" with each record's
// fixed part in hex and columns "column_1" to "column_N" for the most
// variable values a record of the unit holds.
void LayOutLostUnit(const LostUnit& unit, const DatabaseFile& db, const RecordOptions& options,
                    TableLayout& layout);

}  // namespace tessaril
