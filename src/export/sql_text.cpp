#include "export/sql_text.h"

#include <algorithm>

namespace tessaril {
namespace {

// A number as the renderer writes them ("-12.5", "1.5E+20"): a digit first,
// after a sign, and nothing but digits, a point, an exponent and signs; never
// NaN or infinity.
bool IsNumber(std::string_view text) {
  const std::size_t first = !text.empty() && text[0] == '-' ? 1 : 0;
  const auto numeric = [](char ch) {
    return (ch >= '0' && ch <= '9') || ch == '.' || ch == '+' || ch == '-' || ch == 'e' ||
           ch == 'E';
  };
  return first < text.size() && text[first] >= '0' && text[first] <= '9' &&
         std::all_of(text.begin() + static_cast<std::ptrdiff_t>(first), text.end(), numeric);
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

void AppendConverted(std::string& out, std::string_view type, std::string_view text) {
  out.append("CONVERT(").append(type).append(", ");
  AppendStringLiteral(out, text, false);
  out.append(", 121)");
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

void AppendStringLiteral(std::string& out, std::string_view text, bool unicode) {
  out.append(unicode ? "N'" : "'");
  for (std::size_t from = 0;;) {
    const std::size_t quote = text.find('\'', from);
    if (quote == std::string_view::npos) {
      out.append(text.substr(from));
      break;
    }
    out.append(text.substr(from, quote + 1 - from)).push_back('\'');
    from = quote + 1;
  }
  out.push_back('\'');
}

std::string StringLiteral(std::string_view text, bool unicode) {
  std::string out;
  AppendStringLiteral(out, text, unicode);
  return out;
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

void AppendSqlLiteral(std::string& out, const Cell& cell, const ColumnDef& column,
                      bool& unreadable) {
  unreadable = !ReadsAsItsType(cell, column);
  if (cell.null || unreadable) {
    out.append("NULL");
    return;
  }
  const std::string& text = cell.text;
  switch (column.typeCode) {
    case kCharCode:
    case kVarcharCode:
    case kTextCode:
    case kUniqueIdentifierCode:
      return AppendStringLiteral(out, text, false);
    case kNcharCode:
    case kNvarcharCode:
    case kNtextCode:
    case kXmlCode:
    case kSqlVariantCode:
      return AppendStringLiteral(out, text, true);
    case kBitCode:
      out.append(text == "True" || text == "1" ? "1" : "0");
      return;
    case kDateTimeCode:
    case kSmallDateTimeCode:
      return AppendConverted(out, "datetime", text);
    case kDateCode:
      return AppendConverted(out, "date", text);
    case kDateTime2Code:
      return AppendConverted(out, "datetime2(7)", text);
    case kDateTimeOffsetCode:
      return AppendConverted(out, "datetimeoffset(7)", text);
    case kTimeCode:
      out.append("CAST(");
      AppendStringLiteral(out, text, false);
      out.append(" AS time(7))");
      return;
    case kBinaryCode:
    case kVarbinaryCode:
    case kImageCode:
    case kTimestampCode:
      out.append(cell.binary ? std::string_view(text) : std::string_view("0x"));
      return;
    case kHierarchyIdCode:
    case kGeometryCode:
    case kClrCode:
      out.append("CAST(").append(text).append(" AS ").append(ClrTypeName(column.typeCode));
      out.push_back(')');
      return;
    default:
      out.append(text);
      return;
  }
}

std::string SqlLiteral(const Cell& cell, const ColumnDef& column, bool& unreadable) {
  std::string out;
  AppendSqlLiteral(out, cell, column, unreadable);
  return out;
}

}  // namespace tessaril
