#include "export/schema_script.h"

#include <algorithm>
#include <set>

#include "base/unicode.h"
#include "export/sql_text.h"
#include "session/constraint_statements.h"
#include "session/table_reader.h"

namespace tessaril {
namespace {

std::string TypeOf(const ColumnDef& c) {
  const std::string& stored = c.storedType.empty() ? c.declaredType : c.storedType;
  if (!c.declaredType.empty() && c.declaredType != stored) {
    return stored + " /* " + c.declaredType + " */";
  }
  return stored;
}

// "identity(1,1)" as the catalog keeps it, as T-SQL writes it.
std::string IdentityClause(const std::string& identityText) {
  if (identityText.empty()) return {};
  const std::size_t open = identityText.find('(');
  return open == std::string::npos ? std::string() : " IDENTITY" + identityText.substr(open);
}

std::string CollationClause(const ScanResult& scan, const ColumnDef& c) {
  if (c.collationId <= 0 || c.collationId == scan.collation.collationId) return {};
  const CollationEntry* entry = scan.collations ? scan.collations->Find(c.collationId) : nullptr;
  return entry != nullptr ? std::string(" COLLATE ").append(entry->name) : std::string();
}

std::string DefinitionOf(const ScanResult& scan, ModuleTexts& texts, const StopFlag& stop,
                         std::int32_t objectId) {
  const ModuleTextSource source{*scan.db, scan.catalog, stop, nullptr};
  return BuildModuleText(texts, source, std::to_string(objectId));
}

std::string KeyColumnList(const std::vector<KeyColumn>& columns) {
  std::string list;
  for (const KeyColumn& k : columns) {
    list += (list.empty() ? "" : ", ") + QuoteName(k.name) + (k.descending ? " DESC" : " ASC");
  }
  return list;
}

// The statement of one child object of a table; empty when the catalog
// does not hold enough to write it.
std::string ConstraintText(const ScanResult& scan, const CatalogObject& table,
                           const CatalogObject& child, ModuleTexts& texts, const StopFlag& stop) {
  const Catalog& catalog = scan.catalog;
  const std::string head = "ALTER TABLE " + QuotedObjectName(catalog, table) + " ADD CONSTRAINT " +
                           QuoteName(child.name) + " ";
  if (child.type == "PK" || child.type == "UQ") {
    const bool primary = child.type == "PK";
    const IndexRow* index = FindKeyIndex(catalog, table.id, child.name, primary);
    if (index == nullptr) return {};
    const std::vector<KeyColumn> columns = KeyColumnsOf(catalog, *index);
    if (columns.empty()) return {};
    return head + (primary ? "PRIMARY KEY " : "UNIQUE ") +
           (IsClustered(*index) ? "CLUSTERED" : "NONCLUSTERED") + " (" + KeyColumnList(columns) +
           ")";
  }
  if (child.type == "F ") {
    std::vector<const ForeignKeyColumn*> pairs;
    for (const ForeignKeyColumn& f : catalog.foreignKeyColumns) {
      if (f.foreignKeyId == child.id || (f.foreignKeyId == 0 && f.foreignKeyName == child.name)) {
        pairs.push_back(&f);
      }
    }
    std::sort(pairs.begin(), pairs.end(), [](const ForeignKeyColumn* a, const ForeignKeyColumn* b) {
      return a->keyOrdinal < b->keyOrdinal;
    });
    const CatalogObject* referenced =
        pairs.empty() ? nullptr : catalog.FindObject(pairs.front()->referencedObjectId);
    if (referenced == nullptr) return {};
    std::string from;
    std::string to;
    for (const ForeignKeyColumn* f : pairs) {
      from += (from.empty() ? "" : ", ") + QuoteName(f->referencingColumnName);
      to += (to.empty() ? "" : ", ") + QuoteName(f->referencedColumnName);
    }
    return head + "FOREIGN KEY (" + from + ") REFERENCES " +
           QuotedObjectName(catalog, *referenced) + " (" + to + ")";
  }
  const std::string definition = DefinitionOf(scan, texts, stop, child.id);
  if (definition.empty()) return {};
  if (child.type == "D ") {
    const std::string column = DefaultColumnOf(catalog, table.id, child.id);
    if (column.empty()) return {};
    return head + "DEFAULT " + definition + " FOR " + QuoteName(column);
  }
  if (child.type == "C ") return head + "CHECK " + definition;
  return {};
}

bool IsModuleToExport(const std::string& type) {
  return type == "V " || type == "P " || type == "FN" || type == "IF" || type == "TF" ||
         type == "TR";
}

// Whether text names word as a whole word (or in brackets), without regard to case.
bool NamesWord(const std::string& foldedText, const std::string& foldedWord) {
  for (std::size_t at = foldedText.find(foldedWord); at != std::string::npos;
       at = foldedText.find(foldedWord, at + 1)) {
    const auto part = [](char ch) {
      return std::isalnum(static_cast<unsigned char>(ch)) != 0 || ch == '_' || ch == '@' ||
             ch == '#' || ch == '$' || (static_cast<unsigned char>(ch) & 0x80) != 0;
    };
    const bool startOk = at == 0 || !part(foldedText[at - 1]);
    const std::size_t end = at + foldedWord.size();
    const bool endOk = end >= foldedText.size() || !part(foldedText[end]);
    if (startOk && endOk) return true;
  }
  return false;
}

}  // namespace

bool IsComputed(const ColumnDef& c) {
  return c.physicalOrdinal == kNoStorage && !c.name.empty() && !c.valueText.empty();
}

std::vector<std::size_t> ExportedColumns(const TableLayout& layout) {
  std::vector<std::size_t> columns;
  for (std::size_t i = 0; i < layout.columns.size(); ++i) {
    const ColumnDef& c = layout.columns[i];
    if (c.name.empty()) continue;
    if (c.physicalOrdinal != kNoStorage || IsComputed(c)) columns.push_back(i);
  }
  return columns;
}

std::string CreateTableStatement(const ScanResult& scan, const TableLayout& layout,
                                 const std::string& quotedName,
                                 const std::vector<std::string>& extraColumns) {
  std::vector<std::string> lines;
  for (std::size_t i : ExportedColumns(layout)) {
    const ColumnDef& c = layout.columns[i];
    if (IsComputed(c)) {
      lines.push_back(QuoteName(c.name) + " AS " + c.valueText);
      continue;
    }
    lines.push_back(QuoteName(c.name) + " " + TypeOf(c) + CollationClause(scan, c) +
                    (c.isNullable ? " NULL" : " NOT NULL") + IdentityClause(c.identityText));
  }
  lines.insert(lines.end(), extraColumns.begin(), extraColumns.end());
  std::string text = "CREATE TABLE " + quotedName + " (";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    text += std::string(i == 0 ? "" : ",") + "\r\n  " + lines[i];
  }
  return text + "\r\n)";
}

std::vector<SchemaStatement> ConstraintStatements(const ScanResult& scan,
                                                  const std::vector<const CatalogObject*>& tables,
                                                  ModuleTexts& texts, const StopFlag& stop) {
  std::vector<SchemaStatement> first;
  std::vector<SchemaStatement> foreignKeys;
  for (const CatalogObject* table : tables) {
    for (const CatalogObject& child : scan.catalog.objects) {
      if (stop.requested()) return first;
      if (child.parentId != table->id || child.id == table->id) continue;
      if (child.type != "PK" && child.type != "UQ" && child.type != "F " && child.type != "D " &&
          child.type != "C ") {
        continue;
      }
      std::string text = ConstraintText(scan, *table, child, texts, stop);
      if (text.empty()) continue;
      SchemaStatement statement{child.id, ObjectKindName(child.type),
                                QuotedObjectName(scan.catalog, child), std::move(text)};
      (child.type == "F " ? foreignKeys : first).push_back(std::move(statement));
    }
  }
  first.insert(first.end(), foreignKeys.begin(), foreignKeys.end());
  return first;
}

std::vector<SchemaStatement> ModuleStatements(const ScanResult& scan, ModuleTexts& texts,
                                              const StopFlag& stop) {
  std::vector<SchemaStatement> views;
  std::vector<SchemaStatement> others;
  for (const CatalogObject& o : scan.catalog.objects) {
    if (stop.requested()) break;
    if (o.systemOwned || !IsModuleToExport(o.type)) continue;
    std::string text = DefinitionOf(scan, texts, stop, o.id);
    if (text.empty()) continue;
    SchemaStatement statement{o.id, ObjectKindName(o.type), QuotedObjectName(scan.catalog, o),
                              std::move(text)};
    (o.type == "V " ? views : others).push_back(std::move(statement));
  }
  // Views in an order where each follows the views its definition names.
  std::vector<SchemaStatement> ordered;
  std::set<std::size_t> placed;
  while (placed.size() < views.size()) {
    const std::size_t before = placed.size();
    for (std::size_t i = 0; i < views.size(); ++i) {
      if (placed.count(i) != 0) continue;
      const std::string text = FoldCase(views[i].text);
      bool ready = true;
      for (std::size_t j = 0; j < views.size() && ready; ++j) {
        if (j == i || placed.count(j) != 0) continue;
        const CatalogObject* other = scan.catalog.FindObject(views[j].objectId);
        if (other != nullptr && NamesWord(text, FoldCase(other->name))) ready = false;
      }
      if (!ready) continue;
      placed.insert(i);
      ordered.push_back(views[i]);
    }
    if (placed.size() == before) {  // views that name each other: keep their order
      for (std::size_t i = 0; i < views.size(); ++i) {
        if (placed.insert(i).second) ordered.push_back(views[i]);
      }
    }
  }
  // Functions before procedures and triggers, which may call them.
  std::stable_partition(others.begin(), others.end(),
                        [](const SchemaStatement& s) { return s.kind == "function"; });
  ordered.insert(ordered.end(), others.begin(), others.end());
  return ordered;
}

}  // namespace tessaril
