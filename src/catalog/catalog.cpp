#include "catalog/catalog.h"

namespace tessaril {

const CatalogObject* Catalog::FindObject(std::int32_t id) const {
  for (const CatalogObject& object : objects) {
    if (object.id == id) return &object;
  }
  return nullptr;
}

std::string Catalog::SchemaName(std::int32_t schemaId) const {
  for (const SchemaRow& schema : schemas) {
    if (schema.id == schemaId) return schema.name;
  }
  switch (schemaId) {
    case kDboSchemaId:
      return "dbo";
    case kGuestSchemaId:
      return sql2000Layout ? std::string() : "guest";
    case kInformationSchemaId:
      return sql2000Layout ? std::string() : "INFORMATION_SCHEMA";
    case kSysSchemaId:
      return sql2000Layout ? std::string() : "sys";
    default:
      return {};
  }
}

}  // namespace tessaril
