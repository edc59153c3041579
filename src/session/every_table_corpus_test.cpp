// Every table of every corpus file, user and system tables alike, is walked
// to its last grid page with its values read in full, large values included.
#include <gtest/gtest.h>

#include "session/record_pager.h"
#include "testing/corpus.h"
#include "testing/opened_catalog.h"

namespace tessaril {
namespace {

TEST(EveryTable, WalksToItsEndWithAValuePerColumn) {
  TESSARIL_REQUIRE_CORPUS();
  std::size_t tables = 0;
  for (const testing::CorpusFile& file : testing::CorpusFiles()) {
    SCOPED_TRACE(file.dir);
    const testing::OpenedCatalog opened = testing::OpenWithCatalog(file.path.string());
    ASSERT_TRUE(opened.db);
    for (const CatalogObject& object : opened.catalog.objects) {
      if (object.type != "U " && object.type != "S ") continue;
      SCOPED_TRACE(object.name);
      const TableLayout layout =
          BuildTableLayout(opened.catalog, *opened.db, object.name, object.type, {}, {});
      if (!layout.layoutReady) continue;
      RowContext context(layout, *opened.db, TextDecoding(nullptr, {}), {},
                         opened.catalog.sql2000Layout);
      RecordPager pager(opened.catalog, context, false);
      int pages = 0;
      ScanEvents quiet;
      for (GridPage page = pager.First(quiet);; page = pager.Next(quiet)) {
        for (const RenderedRow& row : page.rows) ASSERT_EQ(row.cells.size(), layout.columns.size());
        ASSERT_LT(++pages, 1000) << "the walk does not end";
        if (!pager.hasNext()) break;
      }
      ++tables;
    }
  }
  EXPECT_GT(tables, 100u);
}

}  // namespace
}  // namespace tessaril
