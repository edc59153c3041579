#include "session/constraint_statements.h"

#include <algorithm>

namespace tessaril {
namespace {

// Index column status bits (2005 and later).
constexpr std::uint32_t kDescendingKey = 0x4;
constexpr std::uint32_t kIncludedColumn = 0x10;
constexpr std::uint8_t kClusteredIndexType = 1;
constexpr std::int32_t kClusteredIndexId = 1;

std::string BracketedList(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& name : names) out += (out.empty() ? "[" : ", [") + name + "]";
  return out;
}

}  // namespace

const IndexRow* FindKeyIndex(const Catalog& catalog, std::int32_t tableId, std::string_view keyName,
                             bool primaryKey) {
  const IndexRow* byStatus = nullptr;
  for (const IndexRow& index : catalog.indexes) {
    if (index.objectId != tableId || (index.status & kIsIndex) == 0) continue;
    if (!keyName.empty() && index.name == keyName) return &index;
    if (primaryKey && byStatus == nullptr && (index.status & kPrimaryKeyIndex) != 0) {
      byStatus = &index;
    }
  }
  return byStatus;
}

std::string ColumnNameOf(const Catalog& catalog, std::int32_t tableId, std::int32_t columnId) {
  for (const ColumnRow& c : catalog.columns) {
    if (c.objectId == tableId && c.columnId == columnId && (catalog.sql2000Layout || c.number == 0))
      return c.name;
  }
  return {};
}

std::vector<KeyColumn> KeyColumnsOf(const Catalog& catalog, const IndexRow& index) {
  std::vector<const IndexColumnRow*> keys;
  for (const IndexColumnRow& k : catalog.indexColumns) {
    if (k.objectId != index.objectId || k.indexId != index.indexId) continue;
    if ((k.status & kIncludedColumn) != 0 || k.property1 == 0) continue;
    keys.push_back(&k);
  }
  std::stable_sort(keys.begin(), keys.end(),
                   [](const auto* a, const auto* b) { return a->property1 < b->property1; });
  std::vector<KeyColumn> columns;
  for (const IndexColumnRow* k : keys) {
    // A 2000 nonclustered key of a heap lists the row locator after its
    // columns, under an id no column has.
    std::string name = ColumnNameOf(catalog, index.objectId, k->columnId);
    if (name.empty()) continue;
    columns.push_back(
        {std::move(name), !catalog.sql2000Layout && (k->status & kDescendingKey) != 0});
  }
  return columns;
}

std::string DefaultColumnOf(const Catalog& catalog, std::int32_t tableId, std::int32_t defaultId) {
  for (const ColumnRow& c : catalog.columns) {
    if (c.objectId == tableId && c.defaultObjectId == defaultId && defaultId != 0) return c.name;
  }
  return {};
}

bool IsClustered(const IndexRow& index) {
  return index.indexType == kClusteredIndexType ||
         (index.indexType == 0 && index.indexId == kClusteredIndexId);
}

std::string PrimaryKeyStatement(std::string_view table, const std::vector<KeyColumn>& columns) {
  std::string list;
  for (const KeyColumn& c : columns) list += (list.empty() ? " " : " , ") + c.name;
  if (!list.empty()) list += " ";
  return "ALTER TABLE " + std::string(table) + " ADD PRIMARY KEY (" + list + ")";
}

std::string UniqueKeyStatement(std::string_view table, std::string_view keyName, bool clustered,
                               const std::vector<KeyColumn>& columns) {
  std::string list;
  for (const KeyColumn& c : columns) {
    if (!list.empty()) list += ",\r\n";
    list += "[" + c.name + "] " + (c.descending ? "DESC" : "ASC");
  }
  return "ALTER TABLE[dbo].[" + std::string(table) + "] WITH NOCHECK ADD CONSTRAINT[" +
         std::string(keyName) + "] UNIQUE " + (clustered ? "CLUSTERED" : "NONCLUSTERED") +
         " \r\n(\r\n" + list + "\r\n)";
}

std::string CheckStatement(std::string_view table, std::string_view name,
                           std::string_view definition) {
  return "ALTER TABLE  [dbo].[" + std::string(table) + "] WITH NOCHECK ADD CONSTRAINT[" +
         std::string(name) + "] CHECK " + std::string(definition);
}

std::string DefaultStatement(std::string_view table, std::string_view name,
                             std::string_view definition, std::string_view column) {
  std::string text = "ALTER TABLE  [dbo].[" + std::string(table) + "] ADD CONSTRAINT[" +
                     std::string(name) + "] DEFAULT " + std::string(definition);
  if (!column.empty()) text += " FOR [" + std::string(column) + "]";
  return text;
}

std::string ForeignKeyStatement(const Catalog& catalog, std::int32_t keyId,
                                std::string_view keyName) {
  std::vector<const ForeignKeyColumn*> pairs;
  for (const ForeignKeyColumn& fk : catalog.foreignKeyColumns) {
    const bool named = !fk.foreignKeyName.empty() && fk.foreignKeyName == keyName;
    if (fk.foreignKeyId == keyId || (fk.foreignKeyId == 0 && named)) pairs.push_back(&fk);
  }
  if (pairs.empty()) return {};
  std::stable_sort(pairs.begin(), pairs.end(),
                   [](const auto* a, const auto* b) { return a->keyOrdinal < b->keyOrdinal; });
  std::vector<std::string> referencing;
  std::vector<std::string> referenced;
  for (const ForeignKeyColumn* fk : pairs) {
    referencing.push_back(fk->referencingColumnName);
    referenced.push_back(fk->referencedColumnName);
  }
  return "ALTER TABLE  [dbo].[" + pairs.front()->referencingTableName +
         "] WITH NOCHECK ADD CONSTRAINT[" + std::string(keyName) + "] FOREIGN KEY(" +
         BracketedList(referencing) + ") REFERENCES [dbo].[" + pairs.front()->referencedTableName +
         "] (" + BracketedList(referenced) + ")";
}

}  // namespace tessaril
