// The one way the shells and the exporter read a table: found by object id
// or by the name a user types, laid out once, and walked 1000 rows a page
// (Next, Previous) or page by page to the end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/events.h"
#include "base/result.h"
#include "catalog/table_layout.h"
#include "session/record_pager.h"
#include "session/scan_result.h"

namespace tessaril {

// What a name is looked up among.
enum class NameScope {
  kTables,   // user and system tables: another object of the name says what it is
  kObjects,  // any object, an object that is no table before a table of the name
};

// A user table ("U ") or a system table ("S ").
bool IsTableType(std::string_view typeCode);

// "table", "system table", "view", "procedure", "function", "trigger",
// "default", "check constraint", "primary key", "unique key", "foreign key",
// or "object".
const char* ObjectKindName(std::string_view typeCode);

// "dbo.Orders": the object's schema (or owner) and name.
std::string QualifiedName(const Catalog& catalog, const CatalogObject& object);

// The object a user names: "name" or "schema.name", either part in brackets
// when it holds dots or blanks ("[Order Details]"). A name spelt as stored
// wins; else a name that matches without regard to case, as SQL Server's
// usual collations compare names. User objects go before objects SQL Server
// owns. Fails, saying why, when nothing matches, when the name is no table
// (kTables: "Invoices is a view, not a table"), or when it names several
// objects in different schemas.
Result<const CatalogObject*> FindObjectByName(const Catalog& catalog, std::string_view name,
                                              NameScope scope);

class TableReader {
 public:
  // Lays out the table with this object id from the scan. Fails when the id
  // names no table or the table has no columns. The scan's snapshot is kept:
  // the reader never outlives what it reads. stop, when given, ends walks.
  static Result<std::unique_ptr<TableReader>> Open(
      ScanSnapshot scan, std::int32_t objectId, const StopFlag* stop = nullptr,
      const std::vector<ModuleTextEntry>& moduleTexts = {});

  // A reader over a layout already built from the scan's catalog.
  static std::unique_ptr<TableReader> FromLayout(ScanSnapshot scan, TableLayout layout,
                                                 const StopFlag* stop = nullptr);

  TableReader(const TableReader&) = delete;
  TableReader& operator=(const TableReader&) = delete;

  const TableLayout& layout() const { return layout_; }
  const CatalogObject& object() const { return layout_.object; }
  const ScanSnapshot& scan() const { return scan_; }
  RowContext& context() { return context_; }

  // The grid's pages: the first, the next and the previous 1000 rows.
  GridPage First(ScanEvents& events) { return pager_.First(events); }
  GridPage Next(ScanEvents& events) { return pager_.Next(events); }
  GridPage Previous(ScanEvents& events) { return pager_.Previous(events); }
  const RecordPager& pager() const { return pager_; }

  // Every row of the table, a grid page at a time, to take(page); take
  // returns false to end the walk. Ends early on a stop request.
  // Past the first grid page, the pages are decoded on readAheadThreads()
  // workers; the rows come in the same order either way. The grid's reports
  // of each row inserted are left out: a walk reports per page.
  template <class Take>
  void ForEachPage(ScanEvents& events, Take take) {
    pager_.SetRowReports(false);
    GridPage page = pager_.First(events);
    pager_.ReadAhead(readAheadThreads_);
    while (take(static_cast<const GridPage&>(page)) && pager_.hasNext() &&
           !context_.options.stopRequested()) {
      page = pager_.Next(events);
    }
    pager_.EndReadAhead();
    pager_.SetRowReports(true);
  }
  // Threads a whole walk decodes on: one per core unless set; 1 decodes on
  // the calling thread alone.
  unsigned readAheadThreads() const { return readAheadThreads_; }
  void SetReadAheadThreads(unsigned threads) { readAheadThreads_ = threads; }

 private:
  TableReader(ScanSnapshot scan, TableLayout layout, const StopFlag* stop);

  ScanSnapshot scan_;
  TableLayout layout_;
  RowContext context_;
  RecordPager pager_;
  unsigned readAheadThreads_ = DefaultReadAheadThreads();
};

}  // namespace tessaril
