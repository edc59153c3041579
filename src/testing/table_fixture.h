// Test support: a small data file holding one user table of (id int[, name
// varchar]) rows, opened, with the catalog and layout that describe it made
// by hand rather than rebuilt from system tables.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "catalog/catalog.h"
#include "catalog/table_layout.h"
#include "testing/record_builder.h"

namespace tessaril::testing {

inline constexpr std::int32_t kFixtureTableId = 1977;

// How the table is stored, and what the catalog keeps of it.
enum class TableKind {
  kHeap,       // index id 0: found through its IAM chain
  kClustered,  // index id 1: leaf pages linked from the unit's first page
  // A SQL Server 2000 file, whose page headers name the table: a heap whose
  // index row is lost, so only the IAM pages of the inventory find it.
  kHeap2000,
  kClustered2000,  // a SQL Server 2000 clustered index with its index row
};

struct TableFileShape {
  TableKind kind = TableKind::kHeap;
  // The data pages in chain order and the rows each holds; ids run from 1
  // across them.
  std::vector<int> rowsPerPage;
  bool withName = false;  // a second column "name" holding "row <id>"
  // The first data pages are the IAM's single pages (at pages 1 and up); the
  // others fill extents from page 8 on.
  std::size_t singlePages = 2;
  // The single pages and extents are shared out over this many IAM pages,
  // linked in order.
  std::size_t iamPageCount = 1;
  bool iamChainLoops = false;   // the last IAM page links back to the first
  bool iamListsExtents = true;  // false: the bitmaps are blank, only single pages are listed
  // Whether the data pages carry their previous and next links; by default
  // the clustered kinds do and heaps do not.
  std::optional<bool> linkPages;
  // The last data page's next link goes back to this data page.
  std::optional<std::size_t> chainLoopsTo;
  // This data page's next link is 0:0, so the chain loses the pages after it.
  std::optional<std::size_t> chainCutAfter;
};

// Where the fileShape's pages lie in the file.
struct TableFilePlan {
  std::vector<PageId> dataPages;  // chain order
  std::vector<PageId> iamPages;   // chain order
  std::int32_t pageCount = 0;
};
TableFilePlan PlanTableFile(const TableFileShape& fileShape);

// The file's bytes: page 0 a page of the object table (so the file opens),
// the data and IAM pages where the plan puts them, and blank pages between.
Bytes BuildTableFile(const TableFileShape& fileShape);

struct TableFixture {
  TableFilePlan plan;
  std::unique_ptr<DatabaseFile> db;  // null when the file did not open
  Catalog catalog;
  TableLayout layout;
  RecordOptions recordOptions;
};

// Writes the file into dir, opens it and describes the table: its rowset and
// in-row allocation unit (2005 and later) or its index row (2000), its
// columns, and its data pages in file order as the page inventory lists them.
TableFixture OpenTableFixture(const TableFileShape& fileShape, const std::filesystem::path& dir);

}  // namespace tessaril::testing
