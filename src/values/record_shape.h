// What the records of one table can look like, worked out once from its
// layout: a record whose header disagrees with it (a column count, a fixed
// part or a variable count the table cannot have) is damage, never a row.
#pragma once

#include <utility>
#include <vector>

#include "catalog/table_layout.h"
#include "records/record.h"
#include "values/value_decoder.h"

namespace tessaril {

struct RecordShape {
  // The most columns a record of the table holds: every stored column,
  // dropped ones included, and a uniquifier; 0 when not known.
  int maxColumns = 0;
  // The most variable columns, with a forwarded record's back pointer; 0
  // when not known.
  int maxVariable = 0;
  // The longest fixed part (header excluded); -1 when not known (a dropped
  // column may have left bytes behind).
  int maxFixedLength = -1;
  // A fixed column that a record holding at least `ordinal` columns must
  // hold whole: its fixed part reaches at least `end` (header excluded).
  struct FixedNeed {
    int ordinal = 0;
    int end = 0;
  };
  std::vector<FixedNeed> fixedNeeds;
};

// valueLayouts: DescribeValue of each column of layout, in layout order.
RecordShape ShapeOfTable(const TableLayout& layout, const std::vector<ValueLayout>& valueLayouts,
                         bool sql2000);

// True when the record's header fits the table. Only uncompressed data
// records are judged; any other record fits.
bool FitsShape(const CRecord& record, const RecordShape& shape);

// The shape as the record pages' fit.
class ShapeFit final : public RecordFit {
 public:
  explicit ShapeFit(RecordShape shape) : shape_(std::move(shape)) {}
  const RecordShape& shape() const { return shape_; }
  bool Fits(const CRecord& record) const override { return FitsShape(record, shape_); }

 private:
  RecordShape shape_;
};

}  // namespace tessaril
