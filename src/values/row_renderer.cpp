#include "values/row_renderer.h"

#include "records/record_decoder.h"
#include "values/compressed_row.h"
#include "values/large_value.h"
#include "values/lost_unit_cells.h"
#include "values/vardecimal.h"

namespace tessaril {
namespace {

constexpr int kBitsPerByte = 8;

std::vector<ValueLayout> DescribeColumns(const std::vector<ColumnDef>& columns) {
  std::vector<ValueLayout> layouts;
  layouts.reserve(columns.size());
  for (const ColumnDef& c : columns) layouts.push_back(DescribeValue(c));
  return layouts;
}

bool Shown(const CPrimaryRecord* r, const RecordOptions& options) {
  return r != nullptr && !r->isInvalid && r->recordType != kIndexRecord &&
         (options.showDeletedRecords || !r->isGhost);
}

// A forwarded record is shown through its forwarding stub. Met directly, it
// is shown only when its back pointer leads to no stub that points at it
// (the stub was lost), so that a row never shows twice.
bool ReachedThroughItsStub(const CRecord& r, const DatabaseFile& db, const RecordOptions& options) {
  if (r.recordType != kForwardedRecord || !r.backPointer) return false;
  std::optional<HeaderedPage> page = db.ReadPage(r.backPointer->page);
  if (!page) return false;
  const PrimaryRecordPage stubPage(std::move(*page), &db, options, r.backPointer->slot);
  const CPrimaryRecord* stub =
      stubPage.records().empty() ? nullptr : stubPage.records().front().get();
  return stub != nullptr && !stub->isInvalid && stub->recordType == kForwardingStub &&
         stub->forwardedTo && *stub->forwardedTo == r.id;
}

bool NullBitSet(const CRecord& r, int bit) {
  return r.hasNullBitmap && bit >= 0 && bit < r.columnCount && r.IsNull(bit);
}

// A variable value's text. Complex values point at data stored outside the
// record (text pointers, row-overflow and large-value roots).
std::string VariableText(const CRecord& r, std::size_t index, const ValueLayout& layout,
                         const ColumnDef& column, RowContext& context) {
  if (index >= r.values.size()) return {};
  const RecordValue& value = r.values[index];
  const ByteView bytes = r.ValueBytes(value);
  if (value.complex) return ComplexValueText(r, bytes, column, context);
  CaptureValue(context, r, column, bytes);
  if (column.typeCode == kNumericCode || column.typeCode == kDecimalCode) {
    return VarDecimalText(bytes, column.precision, column.scale);
  }
  return DecodeValue(layout, bytes, column, context.text);
}

// Gives a value's text to its cell: binary values get their prefix, and the
// cell says what kind of value it holds.
void SetValue(Cell& cell, std::string text, const ColumnDef& column) {
  cell.text = std::move(text);
  if (TakesBinaryPrefix(column.typeCode) && cell.text != " " &&
      cell.text.find('\\') == std::string::npos && !IsLargeValuePlaceholder(cell.text)) {
    cell.text.insert(0, "0x");
  }
  cell.binary = IsBinaryType(column.typeCode) && cell.text.starts_with("0x");
  cell.large = HoldsLargeValues(column);
}

Cell ValueCell(std::string text, const ColumnDef& column) {
  Cell cell;
  SetValue(cell, std::move(text), column);
  return cell;
}

// One record's column walk.
class RecordWalk {
 public:
  RecordWalk(const CPrimaryRecord& r, RowContext& context) : r_(r), context_(context) {}

  std::vector<Cell> Run() {
    const std::vector<ColumnDef>& columns = context_.layout.columns;
    std::vector<Cell> texts(columns.size());
    const std::vector<ValueLayout>& layouts = context_.valueLayouts;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (context_.options.stopRequested()) break;
      if (columns[i].physicalOrdinal == kNoStorage) continue;
      if (i < layouts.size()) {
        Column(columns[i], layouts[i], texts[i]);
      } else {
        Column(columns[i], DescribeValue(columns[i]), texts[i]);
      }
    }
    return texts;
  }

 private:
  int NullBit(const ColumnDef& c) const {
    const std::int32_t bit = c.nullBit & 0xFFFF;
    if (c.nullBit > 0 && bit > 0 && bit <= r_.columnCount) return bit - 1;
    if (!context_.placedByRowsetColumns && !context_.sql2000Layout) return processed_;
    return c.physicalOrdinal - 1;
  }

  // Fills in out, an empty cell.
  void Column(const ColumnDef& c, const ValueLayout& layout, Cell& out) {
    // In the vardecimal storage format decimal columns are variable-length;
    // their placement rows give them a negative leaf offset.
    const bool varDecimal = !context_.sql2000Layout && c.leafOffset < 0 &&
                            (c.typeCode == kNumericCode || c.typeCode == kDecimalCode);
    const bool variable = c.isVariableLength || layout.variable || varDecimal;
    if (c.isSparse) {  // no null bit: a sparse column is NULL by its absence
      ++processed_;
      out = SparseText(c, layout);
      return;
    }
    // A column added after the record was written is not in it.
    if (c.physicalOrdinal > r_.columnCount) {
      ++processed_;
      out.null = c.isNullable;
      return;
    }
    if (!c.isInRowset || NullBitSet(r_, NullBit(c))) {
      ++processed_;
      if (variable) ++variableUsed_;
      // A NULL fixed value still takes its bytes (or its bit).
      if (!variable && c.isInRowset) FixedPlace(c, layout);
      out.null = true;
      return;
    }
    ++processed_;
    if (variable) {
      // Variable columns are numbered by a negative offset: the column rows
      // keep it in xoffset in SQL Server 2000, the rowset columns in their
      // leaf offset later.
      const std::int16_t offset = context_.sql2000Layout ? c.legacyOffset : c.leafOffset;
      const std::size_t index = offset < 0 ? static_cast<std::size_t>(-1 - offset) : variableUsed_;
      ++variableUsed_;
      SetValue(out, VariableText(r_, index, layout, c, context_), c);
      return;
    }
    SetValue(out, FixedText(c, layout), c);
  }

  // A sparse column lives in the record's sparse vector, the complex value
  // whose id word is 5; a column missing from it is NULL. A vector of
  // exactly 16 bytes (one 8-byte value) is decoded here, where the column
  // types say it is no text pointer.
  Cell SparseText(const ColumnDef& c, const ValueLayout& layout) {
    std::optional<SparseColumnVector> decoded;
    const SparseColumnVector* vector = r_.sparseVector ? &*r_.sparseVector : nullptr;
    if (vector == nullptr) {
      for (const RecordValue& v : r_.values) {
        const ByteView bytes = r_.ValueBytes(v);
        if (v.complex && ComplexId(bytes) == kSparseVectorComplexId) {
          decoded = DecodeSparseVector(bytes, v.data.offset, context_.options);
        }
      }
      if (decoded) vector = &*decoded;
    }
    Cell cell = Cell::Null();
    for (const RecordValue& entry :
         vector != nullptr ? vector->values : std::vector<RecordValue>()) {
      if (entry.id != c.columnId || !entry.hasData) continue;
      CaptureValue(context_, r_, c, r_.ValueBytes(entry));
      cell = ValueCell(DecodeValue(layout, r_.ValueBytes(entry), c, context_.text), c);
    }
    return cell;
  }

  // Where a fixed value lies in the fixed part, and for a bit column which
  // bit of that byte: its placement's offset and bit position, or, for a
  // column no placement row places, the next free byte as the columns are
  // walked in order, up to eight bit columns sharing one byte.
  struct FixedPlacement {
    std::size_t at = 0;
    std::uint16_t bit = 0;
  };
  FixedPlacement FixedPlace(const ColumnDef& c, const ValueLayout& layout) {
    const std::int16_t offset = context_.sql2000Layout ? c.legacyOffset : c.leafOffset;
    const bool placed =
        offset >= kRecordHeaderLength && offset - kRecordHeaderLength < r_.fixedLength;
    const std::size_t at =
        placed ? static_cast<std::size_t>(offset - kRecordHeaderLength) : fixedCursor_;
    if (c.typeCode == kBitCode) {
      if (placed) return {at, c.bitPosition};
      if (bitsWalked_ % kBitsPerByte == 0) bitByte_ = fixedCursor_++;
      return {bitByte_, static_cast<std::uint16_t>(bitsWalked_++ % kBitsPerByte)};
    }
    fixedCursor_ = at + static_cast<std::size_t>(layout.width > 0 ? layout.width : 0);
    return {at, 0};
  }

  std::string FixedText(const ColumnDef& c, const ValueLayout& layout) {
    const ByteView fixed = r_.fixedData();
    const FixedPlacement place = FixedPlace(c, layout);
    if (c.typeCode == kBitCode) {
      if (place.bit == c.bitPosition) {
        return DecodeValue(layout, fixed.Sub(place.at, 1), c, context_.text);
      }
      ColumnDef walked = c;
      walked.bitPosition = place.bit;
      return DecodeValue(layout, fixed.Sub(place.at, 1), walked, context_.text);
    }
    const auto width = static_cast<std::size_t>(layout.width > 0 ? layout.width : 0);
    if (!fixed.Contains(place.at, width)) return {};
    CaptureValue(context_, r_, c, fixed.Sub(place.at, width));
    return DecodeValue(layout, fixed.Sub(place.at, width), c, context_.text);
  }

  const CPrimaryRecord& r_;
  RowContext& context_;
  int processed_ = 0;
  std::size_t variableUsed_ = 0;
  std::size_t fixedCursor_ = 0;
  std::size_t bitByte_ = 0;
  int bitsWalked_ = 0;
};

// A compressed record's cells; its large values are read as any record's.
std::vector<Cell> CompressedCells(const CPrimaryRecord& r, const PrimaryRecordPage& page,
                                  RowContext& context) {
  const auto complexText = [&](const RecordValue& value, const ColumnDef& c) {
    ValueLayout layout = DescribeValue(c);
    return VariableText(r, static_cast<std::size_t>(&value - r.values.data()), layout, c, context);
  };
  const std::vector<ColumnDef>& columns = context.layout.columns;
  const CompressionInfo& compression =
      r.ownPageCompression ? *r.ownPageCompression : page.compression();
  std::vector<std::optional<std::string>> texts =
      RenderCompressedRecord(r, compression, columns, context.text, context.options, complexText);
  std::vector<Cell> cells(texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (columns[i].physicalOrdinal == kNoStorage) continue;
    cells[i] = texts[i] ? ValueCell(std::move(*texts[i]), columns[i]) : Cell::Null();
  }
  return cells;
}

}  // namespace

bool IsBinaryType(std::int32_t typeCode) {
  switch (typeCode) {
    case kBinaryCode:
    case kVarbinaryCode:
    case kImageCode:
    case kTimestampCode:
    case kHierarchyIdCode:
    case kGeometryCode:
    case kClrCode:
      return true;
    default:
      return false;
  }
}

const char* RowOriginName(RowOrigin origin) {
  switch (origin) {
    case RowOrigin::kGhost:
      return "ghost";
    case RowOrigin::kCarved:
      return "carved";
    case RowOrigin::kForwarded:
      return "forwarded";
    default:
      return "live";
  }
}

std::string_view DataText(const Cell& cell, const ColumnDef& column) {
  if (column.typeCode == kBitCode && !cell.null) {
    if (cell.text == "True") return "1";
    if (cell.text == "False") return "0";
  }
  return cell.text;
}

RowContext::RowContext(const TableLayout& tableLayout, const DatabaseFile& file,
                       TextDecoding textDecoding, RecordOptions recordOptions, bool sql2000)
    : layout(tableLayout),
      valueLayouts(DescribeColumns(tableLayout.columns)),
      db(file),
      text(std::move(textDecoding)),
      options(recordOptions),
      sql2000Layout(sql2000),
      pfs(file),
      placedByRowsetColumns(!sql2000 && !tableLayout.rowsetColumns.empty()),
      lobReader(file, options),
      shape(std::make_shared<const ShapeFit>(ShapeOfTable(tableLayout, valueLayouts, sql2000))) {
  options.fit = shape.get();
}

std::vector<RenderedRow> RenderRows(const PrimaryRecordPage& page, RowContext& context) {
  std::vector<RenderedRow> rows;
  rows.reserve(page.records().size());
  for (const auto& record : page.records()) {
    if (context.options.stopRequested()) break;
    if (!Shown(record.get(), context.options)) continue;
    if (!context.shape->Fits(*record)) {
      if (!record->carved) ++context.damagedRecords;
      continue;
    }
    if (ReachedThroughItsStub(*record, context.db, context.options)) continue;
    RenderedRow row;
    if (context.layout.lostUnit) {
      row.cells = LostUnitCells(*record, context);
    } else {
      row.cells = record->isCompressed ? CompressedCells(*record, page, context)
                                       : RecordWalk(*record, context).Run();
    }
    row.id = record->id;
    if (record->carved) {
      row.origin = RowOrigin::kCarved;
    } else if (record->recordType == kGhostDataRecord) {
      row.origin = RowOrigin::kGhost;
    } else if (record->recordType == kForwardedRecord) {
      row.origin = RowOrigin::kForwarded;
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string VariableValueText(const CRecord& r, std::size_t index, const ValueLayout& layout,
                              const ColumnDef& column, RowContext& context) {
  return VariableText(r, index, layout, column, context);
}

const char* PageRefusalText(PageRefusal refusal) {
  switch (refusal) {
    case PageRefusal::kUnreadable:
      return "unreadable";
    case PageRefusal::kNotDataPage:
      return "not a data page";
    case PageRefusal::kOtherTable:
      return "a page of another table";
    default:
      return "";
  }
}

std::vector<RenderedRow> ReadPageRows(PageId pageId, RowContext& context,
                                      std::span<const std::uint64_t> unitKeys, PageRead& read) {
  read = {};
  PageRefusal& refusal = read.refusal;
  const bool freed = context.pfs.IsAllocated(pageId) == false;
  if (freed && !context.options.showDeletedRecords) {
    refusal = PageRefusal::kFreed;
    return {};
  }
  std::optional<HeaderedPage> page = context.db.ReadPage(pageId);
  if (!page) {
    refusal = PageRefusal::kUnreadable;
    return {};
  }
  if (page->header.pageType != kDataPageType) {
    refusal = page->header.pageType == kIndexPageType ? PageRefusal::kIndexPage
                                                       : PageRefusal::kNotDataPage;
    return {};
  }
  if (!context.db.inventory().NamesOneOf(page->header, unitKeys)) {
    refusal = PageRefusal::kOtherTable;
    return {};
  }
  read.protectionFailed = page->header.protectionFailed;
  const PrimaryRecordPage records(std::move(*page), &context.db, context.options);
  context.damagedRecords += records.damagedRecordCount();
  std::vector<RenderedRow> rows = RenderRows(records, context);
  if (freed) {
    for (RenderedRow& row : rows) {
      if (row.origin != RowOrigin::kCarved) row.origin = RowOrigin::kGhost;
    }
  }
  return rows;
}

std::vector<RenderedRow> ReadPageRows(PageId pageId, RowContext& context) {
  PageRead read;
  return ReadPageRows(pageId, context, {}, read);
}

}  // namespace tessaril
