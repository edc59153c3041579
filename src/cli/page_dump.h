// The forensic view of a page: every slot and the record it holds.
#pragma once

#include <ostream>

#include "records/record_page.h"
#include "session/page_rows.h"

namespace tessaril::cli {

// Prints each slot of the page: offset, record type, status bits, fixed
// data, column count, null bitmap and variable values (length, complex flag,
// bytes in hex); compressed records add their column-descriptor codes. With
// the rows of the table that owns the page, each slot's column values follow
// its bytes; ghost and carved records are marked.
void PrintRecords(std::ostream& out, const PrimaryRecordPage& page, const PageRows* rows = nullptr);

// The database information record of a boot page.
void PrintBootPage(std::ostream& out, ByteView page);

// The record of a file header page (page 0): its size in pages, its
// integer properties and the properties that read as text (the logical name).
void PrintFileHeaderPage(std::ostream& out, const PrimaryRecordPage& page);

// The header of an IAM page, its single pages and its allocated extents.
void PrintIamPage(std::ostream& out, ByteView page, const DatabaseFile& db);

// Bytes as lowercase hex without separators.
std::string HexText(ByteView bytes);

}  // namespace tessaril::cli
