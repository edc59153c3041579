#include "storage/snapshot_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "storage/database_file.h"
#include "testing/corpus.h"

namespace tessaril {
namespace {

namespace fs = std::filesystem;

// Two user units share the header object id 34 with the system table of
// that id; their pages must come back under their own units.
PageInventory SmallInventory() {
  PageInventory inv;
  inv.systemPages[34] = {{1, 20, PackPageType(1, 0)}, {1, 21, PackPageType(1, 0)}};
  inv.systemPages[7] = {{1, 9, PackPageType(1, 0)}};
  inv.dataPages[AllocationUnitId(34, 256)] = {{1, 80, PackPageType(1, 256)}};
  inv.dataPages[AllocationUnitId(34, 257)] = {{3, 81, PackPageType(1, 257)}};
  inv.dataPages[AllocationUnitId(97, 256)] = {{1, 90, PackPageType(1, 256)},
                                              {1, 91, PackPageType(1, 256)}};
  inv.iamPages[AllocationUnitId(97, 256)] = {{1, 89, PackPageType(10, 256)}};
  return inv;
}

void ExpectSameInventory(const PageInventory& a, const PageInventory& b) {
  EXPECT_EQ(a.systemPages, b.systemPages);
  EXPECT_EQ(a.dataPages, b.dataPages);
  EXPECT_EQ(a.iamPages, b.iamPages);
}

TEST(SnapshotFileTest, RoundTripsSettingsAndMaps) {
  testing::TempDir dir;
  const std::string path30 = "/data/recovery/customers12.mdf";
  ASSERT_EQ(path30.size(), 30u);
  const std::uint64_t blocks = (8 + 2 * 8 + 3 * 10) + (8 + 2 * 8 + 4 * 10) + (8 + 8 + 10);
  struct Case {
    SnapshotSettings settings;
    std::uint64_t size;
  };
  const Case cases[] = {
      {{path30, true, true, 0, 0, 1, 0}, 4 + 60 + 5 + blocks},
      {{path30, false, false, 53256, 1, 1, 1}, 4 + 60 + 5 + 8 + blocks},
      {{"", false, true, 0, 0, 0, 0}, 4 + 5 + blocks},
  };
  const PageInventory inventory = SmallInventory();
  for (const Case& c : cases) {
    const std::string file = (dir.path() / "scan.MDBVTR").string();
    ASSERT_TRUE(WriteSnapshot(file, c.settings, inventory));  // replaces the last one
    EXPECT_EQ(fs::file_size(file), c.size) << c.settings.dataFilePath;
    EXPECT_EQ(ReadSnapshotSettings(file), c.settings);
    PageInventory back;
    ASSERT_TRUE(ReadSnapshotMaps(file, back));
    ExpectSameInventory(back, inventory);
  }
  EXPECT_FALSE(WriteSnapshot((dir.path() / "no" / "such.MDBVTR").string(), {}, inventory));
  EXPECT_FALSE(ReadSnapshotSettings((dir.path() / "missing").string()));
}

// A snapshot cut anywhere keeps what was read before the cut; counts larger
// than the file end the reading at the end of the file.
TEST(SnapshotFileTest, TruncatedOrLyingFilesStopAtTheirEnd) {
  testing::TempDir dir;
  const std::string file = (dir.path() / "s").string();
  ASSERT_TRUE(WriteSnapshot(file, {"x.mdf", false, true, 0, 0, 0, 0}, SmallInventory()));
  const std::vector<std::uint8_t> whole = testing::ReadWholeFile(file);
  std::size_t lastCount = 0;
  for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
    testing::WriteWholeFile(file, {whole.begin(), whole.begin() + static_cast<long>(cut)});
    PageInventory back;
    ASSERT_TRUE(ReadSnapshotMaps(file, back));
    EXPECT_GE(back.entryCount(), lastCount) << cut;
    lastCount = back.entryCount();
  }
  EXPECT_EQ(lastCount, SmallInventory().entryCount());

  // Path length, key count and entry count far beyond the file.
  std::vector<std::uint8_t> lying = {0xFF, 0xFF, 0xFF, 0x7F};
  testing::WriteWholeFile(file, lying);
  EXPECT_FALSE(ReadSnapshotSettings(file));
  lying = {0, 0, 0, 0, 0, 1, 0, 0, 0};                                 // empty path, settings
  lying.insert(lying.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0});  // keys
  lying.insert(lying.end(), {34, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF});    // object 34, 4 G entries
  lying.insert(lying.end(), {1, 0, 20, 0, 0, 0, 1, 0, 0, 0});          // one entry
  lying.insert(lying.end(), {1, 0, 21, 0});                            // and a part of one
  testing::WriteWholeFile(file, lying);
  PageInventory back;
  ASSERT_TRUE(ReadSnapshotMaps(file, back));
  EXPECT_EQ(back.systemPages[34], (PageList{{1, 20, 1}}));
  EXPECT_EQ(back.entryCount(), 1u);
}

// Files that are no snapshot are told apart by their first bytes, before
// any path or map is taken from them.
TEST(SnapshotFileTest, OnlySnapshotsPassTheHeaderCheck) {
  testing::TempDir dir;
  const std::string file = (dir.path() / "s").string();
  ASSERT_TRUE(WriteSnapshot(file, {"/data/x.mdf", true, false, 53256, 1, 1, 0}, SmallInventory()));
  EXPECT_TRUE(CheckSnapshotHeader(file).ok());

  std::vector<std::uint8_t> dataPage(kPageSize, 0);
  dataPage[0] = 1;
  dataPage[1] = 15;  // a file header page: "path length" 0x0F01, odd
  std::vector<std::uint8_t> random(4096);
  std::uint32_t seed = 12345;
  for (std::uint8_t& b : random)
    b = static_cast<std::uint8_t>((seed = seed * 1103515245 + 12345) >> 16);
  std::vector<std::uint8_t> badFlag = testing::ReadWholeFile(file);
  badFlag[4 + 22] = 7;  // the advanced-mode byte after the 11-character path
  const std::vector<std::vector<std::uint8_t>> notSnapshots = {
      {},       {0xFF, 0xFF, 0xFF, 0x7F},
      dataPage, random,
      badFlag,  {2, 0, 0, 0, 'x', 0, 0, 1, 0, 0, 0},  // ends inside the header
  };
  for (std::size_t i = 0; i < notSnapshots.size(); ++i) {
    testing::WriteWholeFile(file, notSnapshots[i]);
    const Status check = CheckSnapshotHeader(file);
    ASSERT_FALSE(check.ok()) << "case " << i;
    EXPECT_EQ(check.failure().message, kNotASnapshotText) << "case " << i;
    EXPECT_FALSE(check.failure().detail.empty()) << "case " << i;
    EXPECT_FALSE(ReadSnapshotSettings(file)) << "case " << i;
  }
  EXPECT_EQ(CheckSnapshotHeader((dir.path() / "missing").string()).failure().message,
            kFileCannotOpenText);
}

// A scan from a snapshot sees the same pages as the mapping pass.
TEST(SnapshotFileTest, OpeningFromASnapshotGivesTheMappedInventory) {
  TESSARIL_REQUIRE_CORPUS();
  const auto corpusFile = testing::FindCorpusFile("sql2008_pubs");
  if (!corpusFile) GTEST_SKIP() << "sql2008_pubs not in the corpus";
  NullProgress progress;
  StopFlag stop;
  auto mapped = DatabaseFile::Open(corpusFile->path.string(), false, progress, stop);
  ASSERT_TRUE(mapped.ok());
  testing::TempDir dir;
  const std::string snapshot = (dir.path() / "pubs.MDBVTR").string();
  ASSERT_TRUE(WriteSnapshot(snapshot, {(*mapped)->path()}, (*mapped)->inventory()));

  auto loaded =
      DatabaseFile::OpenFromSnapshot(corpusFile->path.string(), false, snapshot, progress, stop);
  ASSERT_TRUE(loaded.ok());
  EXPECT_TRUE((*loaded)->inventoryFromSnapshot());
  ExpectSameInventory((*loaded)->inventory(), (*mapped)->inventory());
  EXPECT_EQ((*loaded)->dataOffset(), (*mapped)->dataOffset());

  testing::WriteWholeFile(snapshot, {0, 0, 0, 0, 0, 1, 0, 0, 0});  // no maps
  auto empty =
      DatabaseFile::OpenFromSnapshot(corpusFile->path.string(), false, snapshot, progress, stop);
  ASSERT_FALSE(empty.ok());
  EXPECT_EQ(empty.failure().message, kInvalidFileText);
}

}  // namespace
}  // namespace tessaril
