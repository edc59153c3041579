#include "damage/damage_report.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "catalog/catalog_builder.h"
#include "damage/tables_at_risk.h"
#include "records/text_page.h"
#include "testing/corpus.h"

namespace tessaril {
namespace {

struct Checked {
  std::unique_ptr<DatabaseFile> db;
  Catalog catalog;
  DamageReport report;
};

Checked CheckFile(const std::filesystem::path& path) {
  Checked out;
  NullProgress progress;
  StopFlag stop;
  auto opened = DatabaseFile::Open(path.string(), false, progress, stop);
  if (!opened) return out;
  out.db = std::move(opened).value();
  out.catalog = BuildCatalog(*out.db, {}, progress);
  out.report = CheckForDamage(*out.db, out.catalog, progress, stop);
  return out;
}

std::string Describe(const DamageReport& report) {
  std::string text;
  for (const PageFinding& f : report.damage) {
    text += ToString(f.page) + " " + DamageKindName(f.kind) + ": " + f.detail + "\n";
  }
  return text;
}

// Healthy files report no damage; the one whose unallocated space holds old
// disk contents tells them as information.
TEST(DamageReportCorpus, HealthyFilesReportNoDamage) {
  TESSARIL_REQUIRE_CORPUS();
  for (const testing::CorpusFile& file : testing::CorpusFiles()) {
    const Checked checked = CheckFile(file.path);
    ASSERT_NE(checked.db, nullptr) << file.dir;
    EXPECT_FALSE(checked.report.damageFound()) << file.dir << "\n" << Describe(checked.report);
    EXPECT_EQ(checked.report.pagesRead, checked.db->pageCount()) << file.dir;
    if (file.dir == "sql2022_techblog") {
      EXPECT_GE(checked.report.information.size(), 27u);
    }
  }
}

// The first data page of a table, by the catalog's allocation units.
PageId FirstDataPageOf(const DatabaseFile& db, const Catalog& catalog, const std::string& table) {
  for (const auto& [unit, pages] : db.inventory().dataPages) {
    const CatalogObject* owner = OwnerOfUnit(catalog, unit);
    if (owner != nullptr && owner->name == table && !pages.empty()) return pages.front().id();
  }
  return {};
}

struct DamageCase {
  const char* name;
  const char* dir;
  const char* table;
  DamageKind kind;
  // Changes the bytes of the page (offset 0 is the page's first byte).
  std::function<void(std::uint8_t* page)> damage;
};

void PutU16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

class DamagedCopyTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedCopyTest, NamesTheDamagedPageAndItsTable) {
  TESSARIL_REQUIRE_CORPUS();
  const DamageCase& c = GetParam();
  const auto file = testing::FindCorpusFile(c.dir);
  ASSERT_TRUE(file);
  const Checked clean = CheckFile(file->path);
  const PageId target = FirstDataPageOf(*clean.db, clean.catalog, c.table);
  ASSERT_NE(target.pageNumber, 0) << "no data page of " << c.table;

  testing::TempDir dir;
  std::vector<std::uint8_t> bytes = testing::ReadWholeFile(file->path);
  c.damage(bytes.data() + static_cast<std::size_t>(target.pageNumber) * kPageSize);
  const std::filesystem::path copy = dir.path() / file->file;
  testing::WriteWholeFile(copy, bytes);

  const Checked damaged = CheckFile(copy);
  ASSERT_NE(damaged.db, nullptr);
  bool named = false;
  for (const PageFinding& f : damaged.report.damage) {
    named = named || (f.page == target && f.kind == c.kind);
  }
  EXPECT_TRUE(named) << ToString(target) << "\n" << Describe(damaged.report);
  ASSERT_FALSE(damaged.report.tables.empty());
  EXPECT_EQ(damaged.report.tables.front().name, c.table);
  EXPECT_EQ(damaged.report.tables.front().pages.front(), target);
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, DamagedCopyTest,
    ::testing::Values(
        DamageCase{"FlippedByteFailsChecksum", "sql2014_pubs", "authors",
                   DamageKind::kChecksumFailed, [](std::uint8_t* p) { p[3000] ^= 0x10; }},
        DamageCase{"SectorEndFailsTornCheck", "sql2000_northwind", "Orders", DamageKind::kTornPage,
                   [](std::uint8_t* p) { p[512 * 7 - 1] ^= 0x03; }},
        DamageCase{"LyingSlotCount", "sql2000_northwind", "Orders", DamageKind::kSlotArray,
                   [](std::uint8_t* p) { PutU16(p + 22, 3999); }},
        // Slot 1 pointed five bytes into the record of slot 0.
        DamageCase{"SlotIntoAnotherRecord", "sql2014_pubs", "employee", DamageKind::kSlotArray,
                   [](std::uint8_t* p) {
                     const auto slot0 = static_cast<std::uint16_t>(p[8190] | (p[8191] << 8));
                     PutU16(p + 8188, static_cast<std::uint16_t>(slot0 + 5));
                   }},
        DamageCase{"ImpossibleFreeByteCount", "sql2000_northwind", "Orders",
                   DamageKind::kImpossibleHeader, [](std::uint8_t* p) { PutU16(p + 28, 9000); }},
        DamageCase{"TornFlagLost", "sql2000_northwind", "Orders", DamageKind::kImpossibleHeader,
                   [](std::uint8_t* p) { p[5] &= 0xFE; }},
        DamageCase{"NextPagePastTheFile", "sql2000_northwind", "Orders",
                   DamageKind::kBrokenPageChain,
                   [](std::uint8_t* p) {
                     PutU16(p + 16, 40000);
                     PutU16(p + 20, 1);
                   }}),
    [](const ::testing::TestParamInfo<DamageCase>& param) { return param.param.name; });

// Every text page zeroed: each row whose in-row root linked to one (the
// module definitions, a diagram) is named, with the table it belongs to.
TEST(DamageReportLobLinks, NameTheRowsWhoseValuesLostTheirPages) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2016_dailynutrition");
  ASSERT_TRUE(file);
  const Checked clean = CheckFile(file->path);
  ASSERT_NE(clean.db, nullptr);
  std::vector<std::uint8_t> bytes = testing::ReadWholeFile(file->path);
  std::set<PageId> zeroed;
  for (std::uint32_t page = 0; page < clean.db->pageCount(); ++page) {
    std::uint8_t* at = bytes.data() + static_cast<std::size_t>(page) * kPageSize;
    if (at[1] != kTextMixPageType) continue;
    std::fill_n(at, kPageSize, 0);
    zeroed.insert({1, static_cast<std::int32_t>(page)});
  }
  ASSERT_FALSE(zeroed.empty());
  testing::TempDir dir;
  const std::filesystem::path copy = dir.path() / file->file;
  testing::WriteWholeFile(copy, bytes);

  const Checked damaged = CheckFile(copy);
  ASSERT_NE(damaged.db, nullptr);
  std::size_t links = 0;
  for (const PageFinding& f : damaged.report.damage) {
    ASSERT_EQ(f.kind, DamageKind::kBrokenLobLink) << Describe(damaged.report);
    EXPECT_EQ(f.pageType, kDataPageType);
    ++links;
  }
  EXPECT_GE(links, zeroed.size()) << Describe(damaged.report);
  std::set<std::string> tables;
  for (const TableAtRisk& t : damaged.report.tables) {
    tables.insert(t.name);
    EXPECT_GT(t.rowsAtRisk, 0u) << t.name;
  }
  EXPECT_EQ(tables, (std::set<std::string>{"sysdiagrams", "sysobjvalues"}));
}

}  // namespace
}  // namespace tessaril
