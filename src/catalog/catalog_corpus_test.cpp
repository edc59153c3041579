// The catalog of every real file, whole and damaged.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "catalog/catalog_builder.h"
#include "catalog/table_layout.h"
#include "catalog/table_pages.h"
#include "storage/snapshot_file.h"
#include "testing/corpus.h"
#include "testing/opened_catalog.h"

namespace tessaril {
namespace {

using Opened = testing::OpenedCatalog;

Opened OpenPath(const std::string& path) {
  Opened opened = testing::OpenWithCatalog(path);
  EXPECT_TRUE(opened.db) << path;
  return opened;
}

std::vector<std::string> UserTables(const Catalog& catalog) {
  std::vector<std::string> names;
  for (const CatalogObject& o : catalog.objects) {
    if (o.type == "U " && !o.systemOwned) names.push_back(o.name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(CatalogCorpus, EveryFileBuildsItsCatalogInItsLayout) {
  TESSARIL_REQUIRE_CORPUS();
  for (const auto& f : testing::CorpusFiles()) {
    const Opened o = OpenPath(f.path.string());
    if (!o.db) continue;
    EXPECT_FALSE(o.catalog.objects.empty()) << f.dir;
    EXPECT_FALSE(o.catalog.columns.empty()) << f.dir;
    EXPECT_EQ(o.catalog.sql2000Layout, f.formatVersion < 600) << f.dir;
    EXPECT_FALSE(o.catalog.files.empty()) << f.dir;
    for (const CatalogObject& obj : o.catalog.objects) {
      EXPECT_EQ(obj.name.rfind("Repair", 0), std::string::npos) << f.dir << " object " << obj.id;
      if (obj.id < 0) {
        EXPECT_TRUE(obj.systemOwned) << f.dir << " " << obj.name;
      }
    }
  }
}

TEST(CatalogCorpus, KnownTablesAreListed) {
  TESSARIL_REQUIRE_CORPUS();
  struct Case {
    const char* dir;
    std::vector<std::string> tables;
  };
  const std::vector<Case> cases = {
      {"sql2005_aspnetdb",
       {"aspnet_Applications", "aspnet_Membership", "aspnet_Profile", "aspnet_Roles",
        "aspnet_SchemaVersions", "aspnet_Users", "aspnet_UsersInRoles"}},
      {"sql2012_mvcmusicstore", {"Albums", "Artists", "Genres", "__MigrationHistory"}},
      {"sql2016_school", {"Classes", "Courses", "Instructors", "Students"}},
      {"sql2008_empty_danish", {}},
      {"sql2000_model", {}},
  };
  for (const Case& c : cases) {
    const auto f = testing::FindCorpusFile(c.dir);
    ASSERT_TRUE(f) << c.dir;
    const Opened o = OpenPath(f->path.string());
    std::vector<std::string> expected = c.tables;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(UserTables(o.catalog), expected) << c.dir;
  }
}

// A user table whose pages carry the object table's header object id (34)
// gets exactly its own pages, and its chain starts at a page with no previous page.
TEST(CatalogCorpus, TablePagesFollowTheAllocationUnit) {
  TESSARIL_REQUIRE_CORPUS();
  const auto f = testing::FindCorpusFile("sql2008_pubs");
  ASSERT_TRUE(f);
  const Opened o = OpenPath(f->path.string());
  ASSERT_TRUE(o.db);
  const PageList& objectTable = o.db->inventory().systemPages.at(34);
  for (const CatalogObject& obj : o.catalog.objects) {
    if (obj.type != "U " || obj.systemOwned) continue;
    const TableLayout t = BuildTableLayout(o.catalog, *o.db, obj.name, "U ", {}, RecordOptions());
    EXPECT_FALSE(t.pages.empty()) << obj.name;
    EXPECT_FALSE(t.rowsetFromIndexTable) << obj.name;
    for (const PageId& page : t.pages) {
      const auto header = o.db->ReadPageHeader(page);
      ASSERT_TRUE(header);
      EXPECT_EQ(header->allocationUnitId(), t.allocationUnit.unitId) << obj.name;
      EXPECT_TRUE(std::none_of(objectTable.begin(), objectTable.end(),
                               [&](const PageEntry& e) { return e.id() == page; }))
          << obj.name << " " << ToString(page);
    }
    const auto first = o.db->ReadPageHeader(t.allocationUnit.firstPage);
    ASSERT_TRUE(first) << obj.name;
    EXPECT_EQ(first->prevPage.pageNumber, 0) << obj.name;
  }
}

// Damage made in a copy of a real file: the catalog falls back on what is left.
class DamagedCatalog : public ::testing::Test {
 protected:
  Opened OpenWithZeroedPages(const std::vector<std::int32_t>& objectIds,
                             bool onlyDataPages = true) {
    const auto f = testing::FindCorpusFile("sql2012_nerddinner");
    EXPECT_TRUE(f);
    std::vector<std::uint8_t> bytes = testing::ReadWholeFile(f->path);
    const Opened whole = OpenPath(f->path.string());
    for (std::int32_t id : objectIds) {
      for (const PageEntry& e : whole.db->inventory().systemPages.at(id)) {
        if (onlyDataPages && e.type() != kDataPageType) continue;
        std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(e.pageNumber * kPageSize),
                    kPageSize, 0);
      }
    }
    const auto path = dir_.path() / "damaged.mdf";
    testing::WriteWholeFile(path, bytes);
    return OpenPath(path.string());
  }
  static TableLayout Dinner(const Opened& o) {
    return BuildTableLayout(o.catalog, *o.db, "Dinner", "U ", {}, RecordOptions());
  }
  testing::TempDir dir_;
};

TEST_F(DamagedCatalog, LostObjectTableListsTablesByTheirIds) {
  TESSARIL_REQUIRE_CORPUS();
  const Opened o = OpenWithZeroedPages({34});
  ASSERT_FALSE(o.catalog.objects.empty());
  for (const CatalogObject& obj : o.catalog.objects) {
    EXPECT_EQ(obj.type, "U ");
    EXPECT_EQ(obj.name, "LostAndFound_" + std::to_string(obj.id));
  }
}

TEST_F(DamagedCatalog, LostRowsetsAndUnitsFallBackOnTheInventory) {
  TESSARIL_REQUIRE_CORPUS();
  const auto f = testing::FindCorpusFile("sql2012_nerddinner");
  ASSERT_TRUE(f);
  const std::vector<PageId> wholePages = Dinner(OpenPath(f->path.string())).pages;
  ASSERT_FALSE(wholePages.empty());
  // Rowsets lost: the index rows name the rowset, and its units are found.
  // Rowset columns lost: the pages do not depend on them.
  for (std::int32_t lost : {5, 3}) {
    const TableLayout t = Dinner(OpenWithZeroedPages({lost}));
    EXPECT_EQ(t.pages, wholePages) << "object " << lost << " lost";
    EXPECT_FALSE(t.columns.empty()) << "object " << lost << " lost";
  }
  // Without rowset column rows every column is still listed, none of them placed.
  for (const ColumnDef& column : Dinner(OpenWithZeroedPages({3})).columns) {
    EXPECT_TRUE(column.isInRowset) << column.name;
    EXPECT_EQ(column.nullBit, -1) << column.name;
  }
  // Units lost: the unit is made up from the rowset id, and the inventory's
  // pages filed under it are used (here pages the rowset held before the
  // table was rebuilt).
  const Opened noUnits = OpenWithZeroedPages({7});
  const TableLayout t = Dinner(noUnits);
  EXPECT_TRUE(t.rowsetFromIndexTable);
  EXPECT_EQ(t.allocationUnit.unitId, t.rowset.rowsetId);
  ASSERT_FALSE(t.pages.empty());
  for (const PageId& page : t.pages) {
    EXPECT_EQ(noUnits.db->ReadPageHeader(page)->allocationUnitId(), t.rowset.rowsetId);
  }
}

}  // namespace
}  // namespace tessaril

namespace tessaril {
namespace {

// A snapshot of an older writer carries no index ids in its page types: its
// pages are filed under their object id alone, and tables still find them.
TEST(CatalogCorpus, TablesFindTheirPagesInAnOlderSnapshot) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2014_pubs");
  ASSERT_TRUE(file);
  const Opened mapped = OpenPath(file->path.string());
  ASSERT_TRUE(mapped.db);
  PageInventory older;
  const auto strip = [](const PageList& list) {
    PageList out;
    for (PageEntry e : list) out.push_back({e.fileId, e.pageNumber, e.pageType & 0xFFu});
    return out;
  };
  for (const auto& [id, list] : mapped.db->inventory().systemPages)
    older.systemPages[id] = strip(list);
  for (const auto& [unit, list] : mapped.db->inventory().dataPages) {
    PageList& out = older.dataPages[AllocationUnitId(UnitObjectId(unit), 0)];
    const PageList stripped = strip(list);
    out.insert(out.end(), stripped.begin(), stripped.end());
  }
  testing::TempDir dir;
  const std::string snapshot = (dir.path() / "older.MDBVTR").string();
  ASSERT_TRUE(WriteSnapshot(snapshot, {file->path.string()}, older));

  NullProgress progress;
  StopFlag stop;
  auto loaded =
      DatabaseFile::OpenFromSnapshot(file->path.string(), false, snapshot, progress, stop);
  ASSERT_TRUE(loaded.ok());
  EXPECT_TRUE((*loaded)->inventory().keyedByObjectOnly);
  const Catalog catalog = BuildCatalog(**loaded, RecordOptions(), progress);
  for (const char* table : {"authors", "titles", "sales"}) {
    const TableLayout expected =
        BuildTableLayout(mapped.catalog, *mapped.db, table, "U ", {}, RecordOptions());
    const TableLayout found = BuildTableLayout(catalog, **loaded, table, "U ", {}, RecordOptions());
    ASSERT_FALSE(expected.pages.empty()) << table;
    EXPECT_EQ(found.pages, expected.pages) << table;
  }
}

}  // namespace
}  // namespace tessaril
