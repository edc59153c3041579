#include "session/table_reader.h"

#include <algorithm>

#include "base/unicode.h"

namespace tessaril {
namespace {

// "schema.name" split at its first dot outside brackets, brackets removed
// ("]]" stands for "]" inside them). No dot: the schema is empty.
struct NameParts {
  std::string schema;
  std::string name;
  bool qualified = false;
};

NameParts SplitName(std::string_view text) {
  NameParts parts;
  std::string current;
  bool bracket = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (bracket) {
      if (ch == ']' && i + 1 < text.size() && text[i + 1] == ']') {
        current += ']';
        ++i;
      } else if (ch == ']') {
        bracket = false;
      } else {
        current += ch;
      }
    } else if (ch == '[') {
      bracket = true;
    } else if (ch == '.' && !parts.qualified) {
      parts.schema = std::move(current);
      current.clear();
      parts.qualified = true;
    } else {
      current += ch;
    }
  }
  parts.name = std::move(current);
  return parts;
}

// The objects whose name (and schema, when given) equal the parts, exactly
// or without regard to case.
std::vector<const CatalogObject*> Matches(const Catalog& catalog, const NameParts& parts,
                                          bool foldCase) {
  const std::string name = foldCase ? FoldCase(parts.name) : parts.name;
  const std::string schema = foldCase ? FoldCase(parts.schema) : parts.schema;
  std::vector<const CatalogObject*> found;
  for (const CatalogObject& o : catalog.objects) {
    if ((foldCase ? FoldCase(o.name) : o.name) != name) continue;
    if (parts.qualified) {
      const std::string stored = catalog.SchemaName(o.schemaId);
      if ((foldCase ? FoldCase(stored) : stored) != schema) continue;
    }
    found.push_back(&o);
  }
  return found;
}

// The match among several: tables (or non-tables) first as the scope asks,
// user objects before the server's own; several left in different places
// stay ambiguous.
std::vector<const CatalogObject*> Preferred(std::vector<const CatalogObject*> found,
                                            NameScope scope) {
  const auto keep = [&](auto predicate) {
    std::vector<const CatalogObject*> kept;
    std::copy_if(found.begin(), found.end(), std::back_inserter(kept), predicate);
    if (!kept.empty()) found = std::move(kept);
  };
  if (scope == NameScope::kTables) {
    keep([](const CatalogObject* o) { return IsTableType(o->type); });
  } else {
    keep([](const CatalogObject* o) { return !IsTableType(o->type); });
  }
  keep([](const CatalogObject* o) { return !o->systemOwned; });
  keep([](const CatalogObject* o) { return o->type == "U "; });
  return found;
}

}  // namespace

bool IsTableType(std::string_view typeCode) { return typeCode == "U " || typeCode == "S "; }

const char* ObjectKindName(std::string_view type) {
  if (type == "U ") return "table";
  if (type == "S " || type == "IT") return "system table";
  if (type == "V ") return "view";
  if (type == "P " || type == "X " || type == "PC" || type == "RF") return "procedure";
  if (type == "FN" || type == "IF" || type == "TF" || type == "AF" || type == "FS" || type == "FT")
    return "function";
  if (type == "TR" || type == "TA") return "trigger";
  if (type == "D ") return "default";
  if (type == "C ") return "check constraint";
  if (type == "PK") return "primary key";
  if (type == "UQ") return "unique key";
  if (type == "F ") return "foreign key";
  return "object";
}

std::string QualifiedName(const Catalog& catalog, const CatalogObject& object) {
  const std::string schema = catalog.SchemaName(object.schemaId);
  return schema.empty() ? object.name : schema + "." + object.name;
}

Result<const CatalogObject*> FindObjectByName(const Catalog& catalog, std::string_view text,
                                              NameScope scope) {
  // A stored name may itself hold a dot: the whole text is tried as a name first.
  const NameParts whole{{}, std::string(text), false};
  const NameParts split = SplitName(text);
  std::vector<const CatalogObject*> found;
  for (const NameParts* parts : {&whole, &split}) {
    for (bool foldCase : {false, true}) {
      if (found.empty()) found = Preferred(Matches(catalog, *parts, foldCase), scope);
    }
  }
  if (found.empty()) {
    return Error{std::string("no ") + (scope == NameScope::kTables ? "table" : "object") +
                 " named " + std::string(text)};
  }
  if (found.size() > 1) {
    std::string names;
    for (const CatalogObject* o : found) {
      names += (names.empty() ? "" : ", ") + QualifiedName(catalog, *o);
    }
    return Error{std::string(text) + " names " + std::to_string(found.size()) + " objects (" +
                 names + "): give the schema too, as schema.name"};
  }
  const CatalogObject* object = found.front();
  if (scope == NameScope::kTables && !IsTableType(object->type)) {
    return Error{object->name + " is a " + ObjectKindName(object->type) +
                 ", not a table: its definition shows what it is"};
  }
  return object;
}

TableReader::TableReader(ScanSnapshot scan, TableLayout layout, const StopFlag* stop)
    : scan_(std::move(scan)),
      layout_(std::move(layout)),
      context_(layout_, *scan_->db, scan_->Text(), scan_->Records(stop),
               scan_->catalog.sql2000Layout),
      pager_(scan_->catalog, context_, scan_->settings.advancedMode) {}

Result<std::unique_ptr<TableReader>> TableReader::Open(
    ScanSnapshot scan, std::int32_t objectId, const StopFlag* stop,
    const std::vector<ModuleTextEntry>& moduleTexts) {
  if (!scan) return Error{"no scan has read a data file"};
  const CatalogObject* object = scan->catalog.FindObject(objectId);
  if (object == nullptr || !IsTableType(object->type)) {
    return Error{"no table with object id " + std::to_string(objectId)};
  }
  TableLayout layout =
      BuildTableLayout(scan->catalog, *scan->db, *object, moduleTexts, scan->Records(stop));
  if (!layout.layoutReady || layout.columns.empty()) {
    return Error{"the catalog holds no columns for table " + object->name};
  }
  return FromLayout(std::move(scan), std::move(layout), stop);
}

std::unique_ptr<TableReader> TableReader::FromLayout(ScanSnapshot scan, TableLayout layout,
                                                     const StopFlag* stop) {
  return std::unique_ptr<TableReader>(new TableReader(std::move(scan), std::move(layout), stop));
}

}  // namespace tessaril
