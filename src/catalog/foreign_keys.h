// Foreign key columns: which column of which table refers to which column of
// which other table.
#pragma once

#include "catalog/catalog.h"
#include "records/record_decoder.h"

namespace tessaril {

// 2005 and later: pairs the single references of class 28 (the referencing
// column of a key) with those of class 29 (the referenced column) that share
// the foreign key's id and key ordinal.
void DeriveForeignKeyColumns(Catalog& catalog, const RecordOptions& options);

// Fills in the table, column and key names of every foreign key column from
// the object and column rows.
void NameForeignKeyColumns(Catalog& catalog);

}  // namespace tessaril
