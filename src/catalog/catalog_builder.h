// Rebuilding the catalog from the base system tables found in the page
// inventory. No allocation chain is followed: a base table's pages are the
// pages whose headers name it.
#pragma once

#include "catalog/catalog.h"
#include "records/record_decoder.h"
#include "storage/database_file.h"

namespace tessaril {

// Reads the file table (and maps the secondary files it names), the object
// table in the 2005-and-later layout or, when that yields nothing, in the 2000
// layout, then the allocation units, rowsets, columns, types, rowset columns,
// references and indexes, and derives the foreign key columns. Always returns
// a catalog; an empty object list means nothing usable was found. A stop
// request ends the reading loops early.
Catalog BuildCatalog(DatabaseFile& db, const RecordOptions& options, ProgressSink& progress);

}  // namespace tessaril
