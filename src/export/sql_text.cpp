#include "export/sql_text.h"

namespace tessaril {
namespace {

// A number as the renderer writes them ("-12.5", "1.5E+20"): a digit first,
// after a sign, and nothing but digits, a point, an exponent and signs; never
// NaN or infinity.
bool IsNumber(std::string_view text) {
  const std::size_t first = !text.empty() && text[0] == '-' ? 1 : 0;
  return first < text.size() && text[first] >= '0' && text[first] <= '9' &&
         text.find_first_not_of("0123456789.+-eE", first) == std::string_view::npos;
}

const char* ClrTypeName(std::int32_t typeCode) {
  switch (typeCode) {
    case kHierarchyIdCode:
      return "hierarchyid";
    case kGeometryCode:
      return "geometry";
    default:
      return "geography";
  }
}

std::string Converted(const char* type, const std::string& text) {
  return std::string("CONVERT(") + type + ", " + StringLiteral(text, false) + ", 121)";
}

}  // namespace

std::string QuoteName(std::string_view name) {
  std::string out = "[";
  for (char ch : name) {
    out += ch;
    if (ch == ']') out += ']';
  }
  return out + "]";
}

std::string QuotedObjectName(const Catalog& catalog, const CatalogObject& object) {
  const std::string schema = catalog.SchemaName(object.schemaId);
  return QuoteName(schema.empty() ? "dbo" : schema) + "." + QuoteName(object.name);
}

std::string StringLiteral(std::string_view text, bool unicode) {
  std::string out = unicode ? "N'" : "'";
  for (char ch : text) {
    out += ch;
    if (ch == '\'') out += '\'';
  }
  return out + "'";
}

bool IsInsertable(const ColumnDef& column) {
  return column.physicalOrdinal != kNoStorage && !column.name.empty() &&
         column.typeCode != kTimestampCode;
}

bool ReadsAsItsType(const Cell& cell, const ColumnDef& column) {
  if (cell.null) return true;
  const std::string& text = cell.text;
  switch (column.typeCode) {
    case kCharCode:
    case kVarcharCode:
    case kTextCode:
    case kNcharCode:
    case kNvarcharCode:
    case kNtextCode:
    case kXmlCode:
    case kSqlVariantCode:
      return true;
    case kUniqueIdentifierCode:
      return text.size() == 36;
    case kBitCode:
      return text == "True" || text == "False" || text == "1" || text == "0";
    case kDateTimeCode:
    case kSmallDateTimeCode:
    case kDateCode:
    case kDateTime2Code:
    case kDateTimeOffsetCode:
    case kTimeCode:
      return !text.empty();
    case kBinaryCode:
    case kVarbinaryCode:
    case kImageCode:
    case kTimestampCode:
      return cell.binary || text.empty();
    case kHierarchyIdCode:
    case kGeometryCode:
    case kClrCode:
      return cell.binary;
    default:
      return IsNumber(text);
  }
}

std::string SqlLiteral(const Cell& cell, const ColumnDef& column, bool& unreadable) {
  unreadable = !ReadsAsItsType(cell, column);
  if (cell.null || unreadable) return "NULL";
  const std::string& text = cell.text;
  switch (column.typeCode) {
    case kCharCode:
    case kVarcharCode:
    case kTextCode:
      return StringLiteral(text, false);
    case kNcharCode:
    case kNvarcharCode:
    case kNtextCode:
    case kXmlCode:
    case kSqlVariantCode:
      return StringLiteral(text, true);
    case kUniqueIdentifierCode:
      return StringLiteral(text, false);
    case kBitCode:
      return text == "True" || text == "1" ? "1" : "0";
    case kDateTimeCode:
    case kSmallDateTimeCode:
      return Converted("datetime", text);
    case kDateCode:
      return Converted("date", text);
    case kDateTime2Code:
      return Converted("datetime2(7)", text);
    case kDateTimeOffsetCode:
      return Converted("datetimeoffset(7)", text);
    case kTimeCode:
      return "CAST(" + StringLiteral(text, false) + " AS time(7))";
    case kBinaryCode:
    case kVarbinaryCode:
    case kImageCode:
    case kTimestampCode:
      return cell.binary ? text : "0x";
    case kHierarchyIdCode:
    case kGeometryCode:
    case kClrCode:
      return "CAST(" + text + " AS " + ClrTypeName(column.typeCode) + ")";
    default:
      return text;
  }
}

}  // namespace tessaril
