#include "storage/offset_check.h"

#include <gtest/gtest.h>

#include <vector>

#include "storage/page_id.h"
#include "testing/test_files.h"
#include "testing/corpus.h"

namespace tessaril {
namespace {

using testing::MakeFile;
using testing::PageFields;

OffsetCheck Check(const std::vector<std::uint8_t>& bytes, const StopFlag& stop = StopFlag()) {
  testing::TempDir dir;
  const auto path = dir.path() / "x.mdf";
  testing::WriteWholeFile(path, bytes);
  Result<ReadOnlyFile> file = ReadOnlyFile::Open(path.string());
  EXPECT_TRUE(file.ok());
  NullProgress progress;
  return CheckDataOffset(*file, file->size() / kPageSize, progress, stop);
}

std::vector<std::uint8_t> Pages(std::size_t count) {
  return MakeFile(std::vector<PageFields>(count, PageFields{1, 60, 0, 1, 0}));
}

std::vector<std::uint8_t> WithPrefix(std::vector<std::uint8_t> bytes, std::size_t n) {
  bytes.insert(bytes.begin(), n, 0xAB);
  return bytes;
}

std::vector<std::uint8_t> WithSuffix(std::vector<std::uint8_t> bytes, std::size_t n) {
  bytes.insert(bytes.end(), n, 0xAB);
  return bytes;
}

std::vector<std::uint8_t> WithoutPageNumbers(std::vector<std::uint8_t> bytes) {
  for (std::size_t offset = 0; offset + kPageSize <= bytes.size(); offset += kPageSize) {
    testing::SetU32(bytes, offset + 32, 0xFFFFFFF0u);
  }
  return bytes;
}

TEST(OffsetCheck, FindsWherePagesStart) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::uint64_t dataOffset;
    std::optional<std::uint64_t> matched;
  };
  const std::vector<Case> cases = {
      {"aligned", Pages(100), 0, 8},
      {"pages after a 512-byte prefix", WithPrefix(Pages(100), 512), 512, 8},
      {"512 bytes after the last page", WithSuffix(Pages(100), 512), 0, 8},
      {"no page numbers, remainder kept", WithoutPageNumbers(WithSuffix(Pages(100), 512)), 512,
       std::nullopt},
      {"no page numbers, aligned", WithoutPageNumbers(Pages(20)), 0, std::nullopt},
      {"five pages start at position 1", Pages(5), 0, 1},
  };
  for (const Case& c : cases) {
    const OffsetCheck check = Check(c.bytes);
    EXPECT_EQ(check.dataOffset, c.dataOffset) << c.name;
    EXPECT_EQ(check.matchedPage, c.matched) << c.name;
  }
}

TEST(OffsetCheck, DamagedEarlyPagesAreSkippedUntilOneMatches) {
  std::vector<std::uint8_t> bytes = Pages(40);
  for (std::size_t p = 8; p < 20; ++p) testing::SetU32(bytes, p * kPageSize + 32, 7);
  EXPECT_EQ(Check(bytes).matchedPage, 20u);
}

TEST(OffsetCheck, StopEndsTheFirstPassOnly) {
  StopFlag stop;
  stop.Request();
  // The first pass (at the 512-byte remainder) is skipped; the second still
  // finds the pages at offset 0.
  const OffsetCheck check = Check(WithSuffix(Pages(30), 512), stop);
  EXPECT_EQ(check.dataOffset, 0u);
  EXPECT_EQ(check.matchedPage, 8u);
}

TEST(OffsetCheckCorpus, EveryCorpusFileStartsAtOffsetZero) {
  TESSARIL_REQUIRE_CORPUS();
  const auto files = testing::CorpusFiles();
  ASSERT_FALSE(files.empty());
  for (const auto& f : files) {
    Result<ReadOnlyFile> file = ReadOnlyFile::Open(f.path.string());
    ASSERT_TRUE(file.ok()) << f.dir;
    NullProgress progress;
    const OffsetCheck check =
        CheckDataOffset(*file, file->size() / kPageSize, progress, StopFlag());
    EXPECT_EQ(check.dataOffset, 0u) << f.dir;
    EXPECT_EQ(check.matchedPage, 8u) << f.dir;
  }
}

TEST(OffsetCheckCorpus, RealFileBehindAPrefixIsFound) {
  TESSARIL_REQUIRE_CORPUS();
  const auto f = testing::FindCorpusFile("sql2012_nerddinner");
  ASSERT_TRUE(f);
  const std::vector<std::uint8_t> bytes = testing::ReadWholeFile(f->path);
  EXPECT_EQ(Check(WithPrefix(bytes, 512)).dataOffset, 512u);
  EXPECT_EQ(Check(WithSuffix(bytes, 512)).dataOffset, 0u);
}

}  // namespace
}  // namespace tessaril
