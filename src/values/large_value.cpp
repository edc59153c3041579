#include "values/large_value.h"

#include "base/unicode.h"
#include "records/record_decoder.h"
#include "values/row_renderer.h"

namespace tessaril {
namespace {

constexpr std::size_t kTextPointerLength = 16;

bool IsTextPointerType(std::int32_t typeCode) {
  return typeCode == kTextCode || typeCode == kNtextCode || typeCode == kImageCode;
}

std::string Placeholder(ComplexValueKind kind, std::int32_t typeCode) {
  if (typeCode == kXmlCode) return {};
  if (kind == ComplexValueKind::kTextPointer) return kBinaryDataPlaceholder;
  if (kind == ComplexValueKind::kLobRoot) return kBigBinaryDataPlaceholder;
  return {};
}

}  // namespace

ComplexValueKind ClassifyComplexValue(ByteView value, std::int32_t typeCode) {
  if (IsTextPointerType(typeCode) && value.size() == kTextPointerLength) {
    return ComplexValueKind::kTextPointer;
  }
  switch (ComplexId(value)) {
    case kRowOverflowComplexId:
      return ComplexValueKind::kRowOverflow;
    case kInRowLobRootComplexId:
      return ComplexValueKind::kLobRoot;
    default:
      return ComplexValueKind::kOther;
  }
}

std::optional<LobBytes> ReadLargeValue(ByteView value, std::int32_t typeCode, LobReader& reader) {
  switch (ClassifyComplexValue(value, typeCode)) {
    case ComplexValueKind::kTextPointer:
      return reader.ReadTextPointer(value);
    case ComplexValueKind::kRowOverflow:
    case ComplexValueKind::kLobRoot:
      return reader.ReadLobRoot(value);
    case ComplexValueKind::kOther:
      break;
  }
  return std::nullopt;
}

std::string LargeValueText(const LobBytes& value, const ColumnDef& column, TextDecoding& text) {
  if (!value.reached) return " ";
  const ByteView bytes(value.bytes.data(), value.bytes.size());
  switch (column.typeCode) {
    case kCharCode:
    case kVarcharCode:
    case kTextCode:
      return text.Decode(bytes, text.CodePageOf(column.collationId));
    case kNcharCode:
    case kNvarcharCode:
    case kNtextCode:
      return Utf16LeToUtf8(bytes);
    default: {
      // Binary, sql_variant, xml and CLR values read as their in-row form.
      ValueLayout layout = DescribeValue(column);
      return DecodeValue(layout, bytes, column, text);
    }
  }
}

std::string ComplexValueText(const CRecord& record, ByteView value, const ColumnDef& column,
                             RowContext& context) {
  const ComplexValueKind kind = ClassifyComplexValue(value, column.typeCode);
  if (context.gridLoading) {
    std::string placeholder = Placeholder(kind, column.typeCode);
    if (!placeholder.empty()) return placeholder;
  }
  const std::optional<LobBytes> read = ReadLargeValue(value, column.typeCode, context.lobReader);
  if (!read) return {};
  CaptureValue(context, record, column, ByteView(read->bytes.data(), read->bytes.size()));
  return LargeValueText(*read, column, context.text);
}

bool IsLargeValuePlaceholder(std::string_view text) {
  return text == kBinaryDataPlaceholder || text == kBigBinaryDataPlaceholder;
}

bool HoldsLargeValues(const ColumnDef& column) {
  return IsTextPointerType(column.typeCode) || column.typeCode == kXmlCode ||
         column.typeText.find("(-1)") != std::string::npos;
}

void CaptureValue(RowContext& context, const CRecord& record, const ColumnDef& column,
                  ByteView bytes) {
  ValueCapture* capture = context.capture;
  if (capture == nullptr || record.id != capture->record ||
      capture->column >= context.layout.columns.size() ||
      &context.layout.columns[capture->column] != &column) {
    return;
  }
  capture->bytes.emplace(bytes.data(), bytes.data() + bytes.size());
}

}  // namespace tessaril
