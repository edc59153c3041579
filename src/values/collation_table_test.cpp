#include "values/collation_table.h"

#include <gtest/gtest.h>

#include <sstream>

#include "testing/corpus.h"

namespace tessaril {
namespace {

TEST(CollationTable, ParsesLinesByTheirTabs) {
  std::istringstream in(
      "Latin1_General_CI_AS\t7\t1252\r\n"
      "only one\ttab\n"
      "\n"
      "no tabs at all\n"
      "Four\t9\t1251 trailing\textra\n"
      "Signed\t -12x\tabc\n"
      "Latin1_Replaced\t7\t1250\n");
  const CollationTable table = CollationTable::Parse(in);
  ASSERT_EQ(table.size(), 3u);
  ASSERT_NE(table.Find(7), nullptr);
  EXPECT_EQ(table.Find(7)->name, "Latin1_Replaced");  // the later line wins
  EXPECT_EQ(table.Find(7)->codePage, 1250);
  EXPECT_EQ(table.Find(9)->codePage, 1251);
  EXPECT_EQ(table.Find(-12)->codePage, 0);  // no digits: 0
  EXPECT_EQ(table.Find(8), nullptr);
  EXPECT_EQ(table.FindByName("Four"), 9);
}

TEST(CollationTable, ShippedTableKnowsTheCorpusCollations) {
  const CollationTable table = CollationTable::Load(TESSARIL_SOURCE_DIR "/data/collation.txt");
  ASSERT_FALSE(table.empty());
  const CollationEntry* latin = table.Find(872468488);
  ASSERT_NE(latin, nullptr);
  EXPECT_EQ(latin->name, "SQL_Latin1_General_CP1_CI_AS");
  EXPECT_EQ(latin->codePage, 1252);
  EXPECT_TRUE(CollationTable::Load("/nonexistent/collation.txt").empty());
}

}  // namespace
}  // namespace tessaril
