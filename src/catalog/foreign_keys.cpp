#include "catalog/foreign_keys.h"

namespace tessaril {
namespace {

constexpr std::uint8_t kReferencingColumnClass = 28;
constexpr std::uint8_t kReferencedColumnClass = 29;

}  // namespace

void DeriveForeignKeyColumns(Catalog& catalog, const RecordOptions& options) {
  if (options.stopRequested()) return;
  for (const SingleReferenceRow& r : catalog.singleReferences) {
    if (r.referenceClass != kReferencingColumnClass) continue;
    for (const SingleReferenceRow& s : catalog.singleReferences) {
      if (s.referenceClass != kReferencedColumnClass || s.referencingId != r.referencingId ||
          s.referencingMinorId != r.referencingMinorId) {
        continue;
      }
      ForeignKeyColumn c;
      c.foreignKeyId = r.referencingId;
      c.keyOrdinal = r.referencingMinorId;
      c.referencingObjectId = r.referencedId;
      c.referencingColumnId = r.referencedMinorId;
      c.referencedObjectId = s.referencedId;
      c.referencedColumnId = s.referencedMinorId;
      catalog.foreignKeyColumns.push_back(c);
    }
  }
}

void NameForeignKeyColumns(Catalog& catalog) {
  for (ForeignKeyColumn& c : catalog.foreignKeyColumns) {
    for (const CatalogObject& o : catalog.objects) {
      if (o.id == c.referencingObjectId) c.referencingTableName = o.name;
      if (o.id == c.referencedObjectId) c.referencedTableName = o.name;
      if (o.id == c.foreignKeyId) {
        c.foreignKeyName = o.name;
        c.foreignKeyStatus = o.status;
      }
    }
    for (const ColumnRow& column : catalog.columns) {
      if (column.objectId == c.referencingObjectId && column.columnId == c.referencingColumnId) {
        c.referencingColumnName = column.name;
      }
      if (column.objectId == c.referencedObjectId && column.columnId == c.referencedColumnId) {
        c.referencedColumnName = column.name;
      }
    }
  }
}

}  // namespace tessaril
