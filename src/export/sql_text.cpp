#include "export/sql_text.h"

#include <cstdlib>

namespace tessaril {
namespace {

bool IsNumber(const std::string& text) {
  if (text.empty()) return false;
  char* end = nullptr;
  std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && text.find_first_of("nNiI") == std::string::npos;
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

std::string SqlLiteral(const Cell& cell, const ColumnDef& column, bool& unreadable) {
  unreadable = false;
  if (cell.null) return "NULL";
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
      if (text.size() == 36) return StringLiteral(text, false);
      break;
    case kBitCode:
      if (text == "True" || text == "1") return "1";
      if (text == "False" || text == "0") return "0";
      break;
    case kDateTimeCode:
    case kSmallDateTimeCode:
      if (!text.empty()) return Converted("datetime", text);
      break;
    case kDateCode:
      if (!text.empty()) return Converted("date", text);
      break;
    case kDateTime2Code:
      if (!text.empty()) return Converted("datetime2(7)", text);
      break;
    case kDateTimeOffsetCode:
      if (!text.empty()) return Converted("datetimeoffset(7)", text);
      break;
    case kTimeCode:
      if (!text.empty()) return "CAST(" + StringLiteral(text, false) + " AS time(7))";
      break;
    case kBinaryCode:
    case kVarbinaryCode:
    case kImageCode:
    case kTimestampCode:
      if (cell.binary) return text;
      if (text.empty()) return "0x";
      break;
    case kHierarchyIdCode:
    case kGeometryCode:
    case kClrCode:
      if (cell.binary) return "CAST(" + text + " AS " + ClrTypeName(column.typeCode) + ")";
      break;
    default:
      if (IsNumber(text)) return text;
      break;
  }
  unreadable = true;
  return "NULL";
}

}  // namespace tessaril
