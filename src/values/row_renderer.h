// Rendering the records of a table's data pages into rows of typed cells.
#pragma once

#include <span>

#include <string>
#include <vector>

#include "values/row_context.h"

namespace tessaril {

// Reads a data page and renders every record a row is shown for. Pages that
// cannot be read, or are no data pages, give no rows; a page the PFS marks
// free gives its rows as deleted rows, only when deleted rows are shown.
std::vector<RenderedRow> ReadPageRows(PageId page, RowContext& context);

// Why a page a walk listed gave no rows.
enum class PageRefusal : std::uint8_t {
  kNone,
  kFreed,        // not allocated, and deleted rows are not shown: no damage
  kUnreadable,   // outside its file, or its header does not read
  kIndexPage,    // an index page: an IAM of a clustered index lists them too
  kNotDataPage,  // its header names another kind of page
  kOtherTable,   // its header names an allocation unit the walk is not over
};
// "unreadable", "not a data page", "a page of another table"; "" for none.
const char* PageRefusalText(PageRefusal refusal);

// What reading one page of a walk came to.
struct PageRead {
  PageRefusal refusal = PageRefusal::kNone;
  // The page fails its checksum or torn-bit check: its rows are given, but
  // some of their bytes may not be as written.
  bool protectionFailed = false;
};

// ReadPageRows, saying why a page gave no rows, and holding the page to the
// allocation units of the walk: unitKeys are inventory keys of the units
// (KeyOfUnit); empty takes a page of any unit.
std::vector<RenderedRow> ReadPageRows(PageId page, RowContext& context,
                                      std::span<const std::uint64_t> unitKeys, PageRead& read);

// Renders the records of a decoded page.
std::vector<RenderedRow> RenderRows(const PrimaryRecordPage& page, RowContext& context);

// The text of variable value index of a record, read as the table renderer
// reads it (values stored outside the record included); the binary prefix is
// left to the caller. Shared with the module text renderers.
std::string VariableValueText(const CRecord& r, std::size_t index, const ValueLayout& layout,
                              const ColumnDef& column, RowContext& context);

}  // namespace tessaril
