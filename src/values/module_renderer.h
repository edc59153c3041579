// Rendering the pages of the module text table into rows of cells: the table
// that keeps the definitions of modules, constraints and computed columns
// (sysobjvalues from SQL Server 2005 on, syscomments in SQL Server 2000).
//
// The table is read with a fixed column list rather than with its catalog
// rows, so that the definitions come back even when the catalog's own rows of
// the table are damaged.
#pragma once

#include <vector>

#include "catalog/table_layout.h"
#include "records/record_page.h"
#include "values/row_renderer.h"

namespace tessaril {

// The column list the module text table is read with: valclass, objid,
// subobjid, valnum, value, imageval (2005 and later), or id, number, colid,
// status, ctext (2000).
std::vector<ColumnDef> ModuleTableColumns(bool sql2000Layout);

// Renders the records of a module text page when the placement of the
// table's columns is known from rowset column rows (2008 and later). A record
// is taken as the table renderer takes it; as many columns are walked as the
// column list and the record both hold. No column is NULL by its bit: the
// rows are keys and binary texts, and a missing value is simply empty.
std::vector<RenderedRow> RenderModulePage(const PrimaryRecordPage& page, RowContext& context);

// Renders the records of a module text page otherwise (SQL Server 2000 and
// 2005, or rowset column rows that were lost). Every column of the list is
// walked (a 2000 record counts as ten columns); a column whose bit in the
// null bitmap is set, by its position in the list, is empty, and fixed
// values are read one after the other.
std::vector<RenderedRow> RenderModulePageLegacy(const PrimaryRecordPage& page, RowContext& context);

}  // namespace tessaril
