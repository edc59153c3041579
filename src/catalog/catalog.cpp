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

const char* SystemTableName(std::int32_t objectId, bool sql2000Layout) {
  if (sql2000Layout) {
    switch (objectId) {
      case kSysObjects2000:
        return "sysobjects";
      case kSysIndexes2000:
        return "sysindexes";
      case kSysColumns2000:
        return "syscolumns";
      case kSysTypes2000:
        return "systypes";
      case kSysComments2000:
        return "syscomments";
      case kSysReferences2000:
        return "sysreferences";
      default:
        return "";
    }
  }
  switch (objectId) {
    case kSysRowsetColumns:
      return "sysrscols";
    case kSysHobtColumnValues:
      return "sysrowsetcolumns";
    case kSysRowsets:
      return "sysrowsets";
    case kSysAllocUnits:
      return "sysallocunits";
    case kSysFiles:
      return "sysfiles1";
    case kSysHobtColumns:
      return "syshobtcolumns";
    case kSysObjects:
      return "sysschobjs";
    case kSysColPars:
      return "syscolpars";
    case kSysScalarTypes:
      return "sysscalartypes";
    case kSysIdxStats:
      return "sysidxstats";
    case kSysIsCols:
      return "sysiscols";
    case kSysObjValues:
      return "sysobjvalues";
    case kSysClsObjs:
      return "sysclsobjs";
    case kSysSingleObjRefs:
      return "syssingleobjrefs";
    default:
      return "";
  }
}

const CatalogObject* OwnerOfUnit(const Catalog& catalog, std::uint64_t unitId) {
  for (const AllocationUnitRow& unit : catalog.allocationUnits) {
    if (unit.unitId != unitId) continue;
    for (const RowsetRow& rowset : catalog.rowsets) {
      if (rowset.rowsetId == unit.ownerId) return catalog.FindObject(rowset.objectId);
    }
  }
  if (catalog.sql2000Layout) {
    return catalog.FindObject(static_cast<std::int32_t>(UnitObjectId(unitId)));
  }
  return nullptr;
}

}  // namespace tessaril
