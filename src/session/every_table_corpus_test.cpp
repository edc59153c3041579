// Every table of every corpus file, user and system tables alike, is walked
// to its last grid page with its values read in full, large values included:
// every stored value of a type other than text has a text, every GUID in
// the fixed part is the one its bytes hold, and no walk meets damage: no
// record refused, no page skipped, no page the links miss.
#include <gtest/gtest.h>

#include <memory>

#include "session/record_pager.h"
#include "testing/corpus.h"
#include "testing/opened_catalog.h"

namespace tessaril {
namespace {

constexpr std::int16_t kRecordHeaderLength = 4;

// Types whose values may be the empty string; every other type has a text
// for each stored value.
bool MayBeEmpty(const ColumnDef& c) {
  switch (c.typeCode) {
    case kCharCode:
    case kNcharCode:
    case kNvarcharCode:
    case kVarcharCode:
    case kNtextCode:
    case kTextCode:
      return true;
    default:
      return c.physicalOrdinal == kNoStorage;
  }
}

// The plain record a row was rendered from, read again from its page.
class RecordSource {
 public:
  explicit RecordSource(const DatabaseFile& db) : db_(db) {}

  const CPrimaryRecord* Find(const RecordId& id) {
    if (!page_ || pageId_ != id.page) {
      page_.reset();
      pageId_ = id.page;
      std::optional<HeaderedPage> read = db_.ReadPage(id.page);
      if (!read) return nullptr;
      page_ = std::make_unique<PrimaryRecordPage>(std::move(*read), &db_, RecordOptions());
    }
    for (const auto& r : page_->records()) {
      if (r && r->id == id && !r->isCompressed && r->recordType == kPrimaryRecord) return r.get();
    }
    return nullptr;
  }

 private:
  const DatabaseFile& db_;
  std::unique_ptr<PrimaryRecordPage> page_;
  PageId pageId_;
};

// The bytes a fixed-part column's leaf offset names, as a GUID text.
std::optional<std::string> GuidAtItsPlace(const CPrimaryRecord& r, const ColumnDef& c,
                                          bool sql2000) {
  const std::int16_t offset = sql2000 ? c.legacyOffset : c.leafOffset;
  if (offset < kRecordHeaderLength) return std::nullopt;
  const ByteView fixed = r.fixedData();
  const auto at = static_cast<std::size_t>(offset - kRecordHeaderLength);
  if (!fixed.Contains(at, 16)) return std::nullopt;
  return UniqueIdentifierText(fixed.Sub(at, 16));
}

TEST(EveryTable, WalksToItsEndWithAValuePerColumn) {
  TESSARIL_REQUIRE_CORPUS();
  std::size_t tables = 0;
  std::size_t guidsChecked = 0;
  for (const testing::CorpusFile& file : testing::CorpusFiles()) {
    SCOPED_TRACE(file.dir);
    const testing::OpenedCatalog opened = testing::OpenWithCatalog(file.path.string());
    ASSERT_TRUE(opened.db);
    const bool sql2000 = opened.catalog.sql2000Layout;
    for (const CatalogObject& object : opened.catalog.objects) {
      if (object.type != "U " && object.type != "S ") continue;
      SCOPED_TRACE(object.name);
      const TableLayout layout =
          BuildTableLayout(opened.catalog, *opened.db, object.name, object.type, {}, {});
      if (!layout.layoutReady) continue;
      RowContext context(layout, *opened.db, TextDecoding(nullptr, {}), {}, sql2000);
      RecordPager pager(opened.catalog, context, false);
      RecordSource source(*opened.db);
      int pages = 0;
      ScanEvents quiet;
      for (GridPage page = pager.First(quiet);; page = pager.Next(quiet)) {
        for (const RenderedRow& row : page.rows) {
          ASSERT_EQ(row.cells.size(), layout.columns.size());
          const CPrimaryRecord* record = nullptr;
          for (std::size_t i = 0; i < layout.columns.size(); ++i) {
            const ColumnDef& c = layout.columns[i];
            const Cell& cell = row.cells[i];
            EXPECT_TRUE(MayBeEmpty(c) || cell.null || !cell.text.empty())
                << c.name << " (" << c.declaredType << ") of " << ToString(row.id.page) << " slot "
                << row.id.slot;
            if (c.typeCode != kUniqueIdentifierCode || cell.null || c.isSparse) continue;
            if (record == nullptr) record = source.Find(row.id);
            if (record == nullptr) continue;
            if (const auto expected = GuidAtItsPlace(*record, c, sql2000)) {
              EXPECT_EQ(cell.text, *expected) << c.name;
              ++guidsChecked;
            }
          }
        }
        ASSERT_LT(++pages, 1000) << "the walk does not end";
        if (!pager.hasNext()) break;
      }
      const std::vector<std::string> damage = DamageSummary(pager.damage());
      EXPECT_TRUE(damage.empty()) << "a healthy table meets damage: " << damage.front();
      ++tables;
    }
  }
  EXPECT_GT(tables, 100u);
  // The file GUIDs of every file's sysdbfiles or sysprufiles among them.
  EXPECT_GT(guidsChecked, 60u);
}

}  // namespace
}  // namespace tessaril
