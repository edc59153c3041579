// Rendering the records of a table's data pages into rows of typed cells.
#pragma once

#include <string>
#include <vector>

#include "values/row_context.h"

namespace tessaril {

// Reads a data page and renders every record a row is shown for. Pages that
// cannot be read, or are no data pages, give no rows; a page the PFS marks
// free gives its rows as deleted rows, only when deleted rows are shown.
std::vector<RenderedRow> ReadPageRows(PageId page, RowContext& context);

// Renders the records of a decoded page.
std::vector<RenderedRow> RenderRows(const PrimaryRecordPage& page, RowContext& context);

// The text of variable value index of a record, read as the table renderer
// reads it (values stored outside the record included); the binary prefix is
// left to the caller. Shared with the module text renderers.
std::string VariableValueText(const CRecord& r, std::size_t index, const ValueLayout& layout,
                              const ColumnDef& column, RowContext& context);

}  // namespace tessaril
