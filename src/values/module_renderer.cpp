#include "values/module_renderer.h"

#include <algorithm>

namespace tessaril {
namespace {

// A SQL Server 2000 module text record is walked as ten columns, whatever its
// own count says.
constexpr std::int16_t kColumnCount2000 = 10;

bool Taken(const CPrimaryRecord* r, const RecordOptions& options) {
  return r != nullptr && !r->isInvalid && r->recordType != kIndexRecord &&
         r->recordType != kBlobFragment && (options.showDeletedRecords || !r->isGhost);
}

// A binary value is shown with "0x" in front, unless there is nothing to show.
std::string WithBinaryPrefix(std::string text, std::int32_t typeCode) {
  if (TakesBinaryPrefix(typeCode) && !text.empty() && text != " ") {
    return "0x" + text;
  }
  return text;
}

// One record's column walk; legacy selects the rules of the legacy renderer.
class ModuleRecordWalk {
 public:
  ModuleRecordWalk(const CPrimaryRecord& r, RowContext& context, bool legacy)
      : r_(r), context_(context), legacy_(legacy) {}

  std::vector<std::string> Run() {
    const std::vector<ColumnDef>& columns = context_.layout.columns;
    std::vector<std::string> texts(columns.size());
    std::size_t walked = columns.size();
    if (!legacy_) {
      walked =
          std::min(walked, static_cast<std::size_t>(std::max<std::int16_t>(r_.columnCount, 0)));
    }
    for (std::size_t i = 0; i < walked; ++i) {
      if (context_.options.stopRequested()) break;
      if (columns[i].physicalOrdinal == kNoStorage) continue;
      texts[i] = WithBinaryPrefix(Column(columns[i], static_cast<int>(i)), columns[i].typeCode);
    }
    return texts;
  }

 private:
  bool NullByPosition(int position) const {
    const std::int16_t count =
        context_.sql2000Layout ? kColumnCount2000 : static_cast<std::int16_t>(r_.columnCount);
    return r_.hasNullBitmap && position < count && r_.IsNull(position);
  }

  std::string Column(const ColumnDef& c, int position) {
    ValueLayout layout = DescribeValue(c);
    const bool variable = c.isVariableLength || layout.variable;
    if (legacy_ && NullByPosition(position)) {
      if (variable) {
        ++variableUsed_;
      } else {
        fixedCursor_ += static_cast<std::size_t>(std::max<std::int16_t>(layout.fixedWidth, 0));
      }
      return {};
    }
    if (variable) {
      const std::size_t index = !legacy_ && c.leafOffset < 0
                                    ? static_cast<std::size_t>(-1 - c.leafOffset)
                                    : variableUsed_;
      ++variableUsed_;
      return VariableValueText(r_, index, layout, c, context_);
    }
    return FixedText(c, layout);
  }

  std::string FixedText(const ColumnDef& c, const ValueLayout& layout) {
    const ByteView fixed = r_.fixedData();
    std::size_t at = fixedCursor_;
    if (!legacy_ && c.leafOffset >= kRecordHeaderLength &&
        c.leafOffset - kRecordHeaderLength < r_.fixedLength) {
      at = static_cast<std::size_t>(c.leafOffset - kRecordHeaderLength);
    }
    const auto width = static_cast<std::size_t>(std::max<std::int16_t>(layout.width, 0));
    fixedCursor_ = at + width;
    if (width == 0 || !fixed.Contains(at, width)) return {};
    return DecodeValue(layout, fixed.Sub(at, width), c, context_.text);
  }

  const CPrimaryRecord& r_;
  RowContext& context_;
  bool legacy_;
  std::size_t variableUsed_ = 0;
  std::size_t fixedCursor_ = 0;
};

std::vector<RenderedRow> RenderPage(const PrimaryRecordPage& page, RowContext& context,
                                    bool legacy) {
  std::vector<RenderedRow> rows;
  for (const auto& record : page.records()) {
    if (context.options.stopRequested()) break;
    if (!Taken(record.get(), context.options)) continue;
    RenderedRow row;
    for (std::string& text : ModuleRecordWalk(*record, context, legacy).Run()) {
      row.cells.push_back(Cell::Text(std::move(text)));
    }
    row.id = record->id;
    if (record->carved) {
      row.origin = RowOrigin::kCarved;
    } else if (record->isGhost) {
      row.origin = RowOrigin::kGhost;
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace

std::vector<ColumnDef> ModuleTableColumns(bool sql2000Layout) {
  if (sql2000Layout) {
    return {MakeColumnDef("id", "int", 9), MakeColumnDef("number", "int", 13),
            MakeColumnDef("colid", "short", 13), MakeColumnDef("status", "short", 13),
            MakeColumnDef("ctext", "varbinary(-1)", 16)};
  }
  return {MakeColumnDef("valclass", "tinyint(1)", 14),
          MakeColumnDef("objid", "int(4)", 9),
          MakeColumnDef("subobjid", "int(4)", 9),
          MakeColumnDef("valnum", "int(4)", 9),
          MakeColumnDef("value", "sql_variant(8016)", 20),
          MakeColumnDef("imageval", "varbinary(-1)", 16)};
}

std::vector<RenderedRow> RenderModulePage(const PrimaryRecordPage& page, RowContext& context) {
  return RenderPage(page, context, false);
}

std::vector<RenderedRow> RenderModulePageLegacy(const PrimaryRecordPage& page,
                                                RowContext& context) {
  return RenderPage(page, context, true);
}

}  // namespace tessaril
