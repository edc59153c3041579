#include "values/collation_lookup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaril {
namespace {

// What an earlier scan found; a lookup that finds nothing must leave it.
CollationResult Earlier() { return {true, 7, 1250, "Earlier_Collation"}; }

TEST(CollationLookup, AppliesTheBootPageIdOrTheChosenOne) {
  const CollationTable table = CollationTable::Load(TESSARIL_SOURCE_DIR "/data/collation.txt");
  ASSERT_FALSE(table.empty());
  const CollationChoice kAuto{true, 0};
  struct Case {
    std::uint32_t bootId;  // the 32 bits the boot page holds
    CollationChoice choice;
    bool applied;
    CollationResult expected;  // what the result holds afterwards
  };
  const std::vector<Case> cases = {
      // The collations of the corpus files.
      {0x0000D024, kAuto, true, {true, 53284, 936, "Chinese_PRC_CI_AS"}},
      {0x3400D008, kAuto, true, {true, 872468488, 1252, "SQL_Latin1_General_CP1_CI_AS"}},
      {0x0000D028, kAuto, true, {true, 53288, 1252, "Modern_Spanish_CI_AS"}},
      {0x0000D008, kAuto, true, {true, 53256, 1252, "Latin1_General_CI_AS"}},
      {0x0000D005, kAuto, true, {true, 53253, 1252, "Danish_Norwegian_CI_AS"}},
      // Sort ids of 128 and up make the stored id negative; it is found as such.
      {0xB700D005, kAuto, true, {true, -1224683515, 1252, "SQL_Danish_Pref_CP1_CI_AS"}},
      // No sort order 127: the Windows collation of the low 16 bits is used,
      // and kept as the id.
      {0x7F00D008, kAuto, true, {true, 53256, 1252, "Latin1_General_CI_AS"}},
      // Neither the id nor its low 16 bits: the earlier result stays.
      {0x7F00FFFF, kAuto, false, Earlier()},
      // A manual choice wins over the boot page, and has no 16-bit fallback.
      {0x3400D008, {false, 53269}, true, {true, 53269, 1251, "Cyrillic_General_CI_AS"}},
      {0x3400D008, {false, 0x7F00D008}, false, Earlier()},
  };
  for (const Case& c : cases) {
    CollationResult result = Earlier();
    const bool found =
        ApplyDatabaseCollation(table, static_cast<std::int32_t>(c.bootId), c.choice, result);
    SCOPED_TRACE(::testing::Message() << std::hex << "boot id 0x" << c.bootId << ", manual 0x"
                                      << c.choice.manualCollationId);
    EXPECT_EQ(found, c.applied);
    EXPECT_EQ(result.found, c.expected.found);
    EXPECT_EQ(result.collationId, c.expected.collationId);
    EXPECT_EQ(result.codePage, c.expected.codePage);
    EXPECT_EQ(result.name, c.expected.name);
  }
}

}  // namespace
}  // namespace tessaril
