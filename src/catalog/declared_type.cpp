#include "catalog/declared_type.h"

namespace tessaril {
namespace {

// The user types of the CLR system types.
constexpr std::int32_t kHierarchyIdUserType = 128;
constexpr std::int32_t kGeometryUserType = 129;
constexpr std::int32_t kGeographyUserType = 130;
constexpr std::uint8_t kClrSystemType = 240;
// A declared length of -1 is (max).
constexpr std::int16_t kMaxLength = -1;

struct NamedType {
  std::uint8_t id;
  const char* name;
};

constexpr NamedType kSystemTypes[] = {
    {34, "image"},
    {35, "text"},
    {36, "uniqueidentifier"},
    {40, "date"},
    {41, "time"},
    {42, "datetime2"},
    {43, "datetimeoffset"},
    {48, "tinyint"},
    {52, "smallint"},
    {56, "int"},
    {58, "smalldatetime"},
    {59, "real"},
    {60, "money"},
    {61, "datetime"},
    {62, "float"},
    {98, "sql_variant"},
    {99, "ntext"},
    {104, "bit"},
    {106, "decimal"},
    {108, "numeric"},
    {122, "smallmoney"},
    {127, "bigint"},
    {165, "varbinary"},
    {167, "varchar"},
    {173, "binary"},
    {175, "char"},
    {189, "timestamp"},
    {231, "nvarchar"},
    {239, "nchar"},
    {241, "xml"},
};

// A system type row has its own id as its user type; the CLR types are
// system types of their own under system type 240.
bool IsSystemUserType(const ColumnRow& row) {
  return row.userType == row.systemType ||
         (row.systemType == kClrSystemType && row.userType >= kHierarchyIdUserType &&
          row.userType <= kGeographyUserType);
}

std::string LengthText(std::int16_t length) {
  return length == kMaxLength ? "(max)" : "(" + std::to_string(length) + ")";
}

// The parameters a system type is declared with.
std::string Parameters(const ColumnRow& row) {
  switch (row.systemType) {
    case 165:  // varbinary
    case 167:  // varchar
    case 173:  // binary
    case 175:  // char
      return LengthText(row.length);
    case 231:  // nvarchar: the length in bytes, two a character
    case 239:  // nchar
      return LengthText(row.length == kMaxLength ? kMaxLength
                                                 : static_cast<std::int16_t>(row.length / 2));
    case 106:  // decimal
    case 108:  // numeric
      return "(" + std::to_string(row.precision) + "," + std::to_string(row.scale) + ")";
    case 41:  // time
    case 42:  // datetime2
    case 43:  // datetimeoffset
      return "(" + std::to_string(row.scale) + ")";
    default:
      return {};
  }
}

}  // namespace

std::string SystemTypeName(std::uint8_t systemType, std::int32_t userType) {
  if (systemType == kClrSystemType) {
    switch (userType) {
      case kHierarchyIdUserType:
        return "hierarchyid";
      case kGeometryUserType:
        return "geometry";
      case kGeographyUserType:
        return "geography";
      default:
        return {};
    }
  }
  for (const NamedType& t : kSystemTypes) {
    if (t.id == systemType) return t.name;
  }
  return {};
}

std::uint8_t SystemTypeId(std::string_view name) {
  for (const char* clr : {"hierarchyid", "geometry", "geography"}) {
    if (name == clr) return kClrSystemType;
  }
  for (const NamedType& t : kSystemTypes) {
    if (name == t.name) return t.id;
  }
  return 0;
}

std::string DeclaredTypeText(const Catalog& catalog, const ColumnRow& row) {
  if (!IsSystemUserType(row)) {
    for (const ScalarTypeRow& t : catalog.scalarTypes) {
      if (t.id == row.userType && t.systemType == row.systemType && !t.name.empty()) return t.name;
    }
  }
  // A user type the catalog no longer names is shown as the type it stores.
  return StoredTypeText(row);
}

std::string StoredTypeText(const ColumnRow& row) {
  const std::string name = SystemTypeName(row.systemType, row.userType);
  return name.empty() ? name : name + Parameters(row);
}

}  // namespace tessaril
