#include "values/record_shape.h"

#include <algorithm>
#include <set>

namespace tessaril {
namespace {

// One physical column of the table's rows as its placement row gives it.
struct Placement {
  std::int32_t columnId = 0;
  std::int16_t offset = 0;  // negative: a variable column
  bool dropped = false;
};

std::vector<Placement> PlacementsOf(const TableLayout& layout) {
  std::vector<Placement> out;
  for (const RowsetColumnRow& r : layout.rowsetColumns) {
    out.push_back({r.rowsetColumnId, static_cast<std::int16_t>(r.offset & 0xFFFF),
                   (r.status & kDroppedRowsetColumn) != 0});
  }
  if (out.empty()) {
    for (const HobtColumnRow& r : layout.hobtColumns) {
      out.push_back({r.columnId, static_cast<std::int16_t>(r.offsetWord & 0xFFFF), false});
    }
  }
  return out;
}

// The ids of the columns the layout stores.
std::set<std::int32_t> StoredColumnIds(const TableLayout& layout) {
  std::set<std::int32_t> ids;
  for (const ColumnDef& c : layout.columns) {
    if (c.physicalOrdinal != kNoStorage) ids.insert(c.columnId);
  }
  return ids;
}

}  // namespace

RecordShape ShapeOfTable(const TableLayout& layout, const std::vector<ValueLayout>& valueLayouts,
                         bool sql2000) {
  RecordShape shape;
  if (layout.lostUnit) return shape;  // nothing is known of its columns
  const std::vector<Placement> placements = PlacementsOf(layout);
  // Fixed bytes that no known column accounts for: a dropped or unnamed
  // column still takes them in old records.
  bool unknownFixedBytes = false;
  int placedVariable = 0;
  const std::set<std::int32_t> stored = StoredColumnIds(layout);
  for (const Placement& p : placements) {
    if (p.offset < 0) ++placedVariable;
    const bool laysOutAColumn = !p.dropped && stored.count(p.columnId) != 0;
    if (p.offset >= kRecordHeaderLength && !laysOutAColumn) unknownFixedBytes = true;
  }
  int variable = 0;  // variable columns the layout knows
  int maxOrdinal = 0;
  int fixedEnd = 0;
  // Sparse columns live in one variable value of their own, the sparse
  // vector, whatever their count: the column counts then say nothing.
  bool sparse = false;
  for (std::size_t i = 0; i < layout.columns.size() && i < valueLayouts.size(); ++i) {
    const ColumnDef& c = layout.columns[i];
    if (c.physicalOrdinal == kNoStorage) continue;
    if (c.isSparse) {
      sparse = true;
      continue;
    }
    maxOrdinal = std::max(maxOrdinal, static_cast<int>(c.physicalOrdinal));
    const ValueLayout& v = valueLayouts[i];
    const std::int16_t offset = sql2000 ? c.legacyOffset : c.leafOffset;
    if (c.isVariableLength || v.variable || offset < 0) {
      ++variable;
      continue;
    }
    if (offset < kRecordHeaderLength) {
      unknownFixedBytes = true;  // placed by the walk, not by a placement row
      continue;
    }
    const int end = offset - kRecordHeaderLength + std::max<int>(v.fixedWidth, 1);
    fixedEnd = std::max(fixedEnd, end);
    if (c.physicalOrdinal > 0) shape.fixedNeeds.push_back({c.physicalOrdinal, end});
  }
  if (sparse) {
    // no limit on the counts
  } else if (!placements.empty()) {
    shape.maxColumns = std::max(static_cast<int>(placements.size()), maxOrdinal);
  } else if (sql2000 && maxOrdinal > 0) {
    // SQL Server 2000 counts the computed columns too; and a uniquifier the
    // column rows do not list.
    int columns = static_cast<int>(layout.columns.size());
    for (const ColumnDef& c : layout.columns) columns = std::max(columns, c.columnId);
    shape.maxColumns = std::max(columns, maxOrdinal) + 1;
    ++variable;
  }
  if (shape.maxColumns > 0) {
    shape.maxVariable = std::max(variable, placedVariable) + 1;  // a back pointer
  }
  if (!unknownFixedBytes) shape.maxFixedLength = fixedEnd;
  return shape;
}

bool FitsShape(const CRecord& r, const RecordShape& shape) {
  const bool dataRecord = r.recordType == kPrimaryRecord || r.recordType == kForwardedRecord ||
                          r.recordType == kGhostDataRecord;
  if (!dataRecord || r.isCompressed) return true;
  if (shape.maxColumns > 0 && (r.columnCount < 1 || r.columnCount > shape.maxColumns)) {
    return false;
  }
  if (shape.maxVariable > 0 && r.variableCount > shape.maxVariable) return false;
  if (shape.maxFixedLength >= 0 && r.fixedLength > shape.maxFixedLength) return false;
  for (const RecordShape::FixedNeed& need : shape.fixedNeeds) {
    if (need.ordinal <= r.columnCount && r.fixedLength < need.end) return false;
  }
  return true;
}

}  // namespace tessaril
