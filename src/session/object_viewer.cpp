#include "session/object_viewer.h"

#include "session/constraint_statements.h"

namespace tessaril {
namespace {

// The catalog object an item stands for: the one with its id when that one
// carries its name (a key item of a SQL Server 2000 table carries the
// table's id), else the first with its name and type.
const CatalogObject* ResolveObject(const Catalog& catalog, const SelectedItem& item) {
  if (item.objectId != 0) {
    const CatalogObject* byId = catalog.FindObject(item.objectId);
    if (byId != nullptr && byId->name == item.name) return byId;
  }
  for (const CatalogObject& o : catalog.objects) {
    if (o.name == item.name && (item.typeCode.empty() || o.type == item.typeCode)) return &o;
  }
  return nullptr;
}

// The table a key or constraint belongs to.
const CatalogObject* OwningTable(const Catalog& catalog, const SelectedItem& item,
                                 const CatalogObject* object) {
  if (object != nullptr) return catalog.FindObject(object->parentId);
  const CatalogObject* byId = item.objectId != 0 ? catalog.FindObject(item.objectId) : nullptr;
  return byId != nullptr && IsTableType(byId->type) ? byId : nullptr;
}

SelectedKind KindOfConstraint(std::string_view type) {
  if (type == "PK") return SelectedKind::kPrimaryKey;
  if (type == "UQ") return SelectedKind::kUniqueKey;
  if (type == "F ") return SelectedKind::kForeignKey;
  return SelectedKind::kConstraint;
}

// A line of the outcome, also told to the source's events as it comes.
void LogLine(const ViewerSource& source, ViewerOutcome& out, std::string_view line) {
  out.logLines.emplace_back(line);
  if (source.events != nullptr) source.events->LogLine(line);
}

// The table an item stands for: the one with the item's id when it carries
// the item's name, else the first table of its name and type (user tables
// before system tables when the item does not say).
const CatalogObject* TableOf(const Catalog& catalog, const SelectedItem& item) {
  const CatalogObject* byId = item.objectId != 0 ? catalog.FindObject(item.objectId) : nullptr;
  if (byId != nullptr && byId->name == item.name && IsTableType(byId->type)) return byId;
  for (const char* type : {"U ", "S "}) {
    if (IsTableType(item.typeCode) && item.typeCode != type) continue;
    for (const CatalogObject& o : catalog.objects) {
      if (o.name == item.name && o.type == type) return &o;
    }
  }
  return nullptr;
}

// The module text walk's reports: its log lines join the outcome's, the
// rest goes on to the source's events.
class OutcomeEvents final : public ScanEvents {
 public:
  OutcomeEvents(const ViewerSource& source, ViewerOutcome& out) : source_(source), out_(out) {}
  void ProgressRange(std::uint64_t low, std::uint64_t high) override {
    if (source_.events != nullptr) source_.events->ProgressRange(low, high);
  }
  void ProgressPos(std::uint64_t position) override {
    if (source_.events != nullptr) source_.events->ProgressPos(position);
  }
  void LogLine(std::string_view line) override { tessaril::LogLine(source_, out_, line); }

 private:
  const ViewerSource& source_;
  ViewerOutcome& out_;
};

class Viewer {
 public:
  Viewer(const ViewerSource& source, ViewerOutcome& out)
      : source_(source), catalog_(source.scan->catalog), out_(out) {}

  void Show(const SelectedItem& item) {
    switch (item.kind) {
      case SelectedKind::kTable:
        return ShowTable(item);
      case SelectedKind::kPrimaryKey:
      case SelectedKind::kUniqueKey:
        return ShowKey(item);
      case SelectedKind::kForeignKey:
        return ShowForeignKey(item);
      case SelectedKind::kConstraint:
      case SelectedKind::kModule:
        return ShowDefinition(item);
      default:
        return;  // folders and columns show nothing
    }
  }

 private:
  void ShowText(std::string text) {
    out_.display = ViewerDisplay::kText;
    out_.text = std::move(text);
  }

  void ShowTable(const SelectedItem& item) {
    const CatalogObject* table = TableOf(catalog_, item);
    if (table == nullptr) return;
    const ScanResult& scan = *source_.scan;
    TableLayout layout =
        BuildTableLayout(catalog_, *scan.db, *table, ModuleTextList(), scan.Records(source_.stop));
    if (source_.tableLaidOut) source_.tableLaidOut(layout);
    if (!layout.layoutReady || layout.columns.empty()) return;
    out_.table = TableReader::FromLayout(source_.scan, std::move(layout), source_.stop);
    ScanEvents silent;
    ScanEvents& events = source_.events != nullptr ? *source_.events : silent;
    out_.firstPage = out_.table->First(events);
    out_.nextEnabled = out_.table->pager().hasNext();
    out_.display = ViewerDisplay::kRecords;
  }

  void ShowKey(const SelectedItem& item) {
    const bool primary = item.kind == SelectedKind::kPrimaryKey;
    const CatalogObject* key =
        ResolveObject(catalog_, {item.objectId, primary ? "PK" : "UQ", item.name, item.kind});
    const CatalogObject* table = OwningTable(catalog_, item, key);
    const std::string tableName = table != nullptr ? table->name : std::string();
    const IndexRow* index =
        table != nullptr ? FindKeyIndex(catalog_, table->id, item.name, primary) : nullptr;
    const std::vector<KeyColumn> columns =
        index != nullptr ? KeyColumnsOf(catalog_, *index) : std::vector<KeyColumn>();
    ShowText(primary ? PrimaryKeyStatement(tableName, columns)
                     : UniqueKeyStatement(tableName, item.name,
                                          index != nullptr && IsClustered(*index), columns));
  }

  void ShowForeignKey(const SelectedItem& item) {
    const CatalogObject* key = ResolveObject(catalog_, {item.objectId, "F ", item.name, item.kind});
    ShowText(ForeignKeyStatement(catalog_, key != nullptr ? key->id : item.objectId, item.name));
  }

  void ShowDefinition(const SelectedItem& item) {
    const CatalogObject* object = ResolveObject(catalog_, item);
    if (object == nullptr || !IsModuleType(object->type)) return;
    StopFlag noStop;
    const StopFlag* stop = source_.stop;
    OutcomeEvents events(source_, out_);
    const ModuleTextSource moduleSource{*source_.scan->db, catalog_,
                                        stop != nullptr ? *stop : noStop, &events};
    const std::string definition =
        source_.moduleTexts != nullptr
            ? BuildModuleText(*source_.moduleTexts, moduleSource, std::to_string(object->id))
            : std::string();
    if (item.kind != SelectedKind::kConstraint) return ShowText(definition);
    const CatalogObject* table = catalog_.FindObject(object->parentId);
    const std::string tableName = table != nullptr ? table->name : std::string();
    if (object->type == "D ") {
      const std::string column =
          table != nullptr ? DefaultColumnOf(catalog_, table->id, object->id) : std::string();
      return ShowText(DefaultStatement(tableName, item.name, definition, column));
    }
    ShowText(CheckStatement(tableName, item.name, definition));
  }

  const std::vector<ModuleTextEntry>& ModuleTextList() const {
    return source_.moduleTexts != nullptr ? source_.moduleTexts->scanList : noTexts_;
  }

  const ViewerSource& source_;
  const Catalog& catalog_;
  ViewerOutcome& out_;
  const std::vector<ModuleTextEntry> noTexts_;
};

}  // namespace

SelectedItem SelectedItemOf(const CatalogObject& object) {
  SelectedItem item{object.id, object.type, object.name, SelectedKind::kModule};
  if (IsTableType(object.type)) {
    item.kind = SelectedKind::kTable;
  } else if (object.type == "PK") {
    item.kind = SelectedKind::kPrimaryKey;
  } else if (object.type == "UQ") {
    item.kind = SelectedKind::kUniqueKey;
  } else if (object.type == "F ") {
    item.kind = SelectedKind::kForeignKey;
  } else if ((object.type == "C " || object.type == "D ") && object.parentId != 0) {
    item.kind = SelectedKind::kConstraint;
  }
  return item;
}

ViewerOutcome ShowObject(const ViewerSource& source, const SelectedItem& item) {
  ViewerOutcome out;
  if (!source.scan || item.kind == SelectedKind::kRoot || item.name.empty()) {
    return out;
  }
  out.completed = true;
  LogLine(source, out, kViewerStartPrefix + item.name + kViewerStartSuffix);
  Viewer(source, out).Show(item);

  const std::size_t n = out.display == ViewerDisplay::kRecords ? out.firstPage.rows.size() : 0;
  out.pageLabel = PageLabelText(1, static_cast<std::int64_t>(n), 0, static_cast<std::int64_t>(n));
  out.caption = item.name + "[" + std::to_string(n) + "]";
  LogLine(source, out, out.caption);
  LogLine(source, out, kViewerDoneText);
  return out;
}

SelectedItem SelectedItemOf(const ObjectTree& tree, TreeItemId id) {
  const TreeItem& t = tree.item(id);
  SelectedItem item;
  item.objectId = t.objectId;
  item.typeCode = t.typeCode;
  item.name = t.text;
  switch (t.kind) {
    case TreeItemKind::kRoot:
      item.kind = SelectedKind::kRoot;
      break;
    case TreeItemKind::kObject:
      item.kind = IsTableType(t.typeCode) ? SelectedKind::kTable : SelectedKind::kModule;
      break;
    case TreeItemKind::kColumn:
      item.kind = SelectedKind::kColumn;
      break;
    case TreeItemKind::kConstraint:
      item.kind = KindOfConstraint(t.typeCode);
      break;
    default:
      item.kind = SelectedKind::kFolder;
      item.objectId = 0;
      break;
  }
  return item;
}

}  // namespace tessaril
