#include "values/module_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/unicode.h"
#include "testing/record_builder.h"
#include "testing/corpus.h"
#include "testing/recording_events.h"
#include "values/module_renderer.h"

namespace tessaril {
namespace {

using testing::Bytes;
using testing::FixedVarRecord;
using testing::PageRecord;

void Put(Bytes& b, std::uint64_t value, int width) {
  for (int i = 0; i < width; ++i) b.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

Bytes Utf16(const std::string& text) {
  const std::string bytes = Utf8ToUtf16LeBytes(text);
  return Bytes(bytes.begin(), bytes.end());
}

// A syscomments row: id, number, colid, status, texttype, language, ctext.
Bytes CommentRow(std::uint32_t id, std::uint16_t colid, std::uint16_t status, const Bytes& text) {
  Bytes fixed;
  Put(fixed, id, 4);
  Put(fixed, 0, 2);
  Put(fixed, colid, 2);
  Put(fixed, status, 2);
  Put(fixed, 0, 4);
  return FixedVarRecord(0x30, fixed, 7, {0}, {{text}});
}

// A sysobjvalues row: valclass, objid, subobjid, valnum, value (an int
// sql_variant, or NULL by the null bitmap when flag is negative), imageval.
Bytes ObjectValueRow(std::uint8_t valclass, std::uint32_t objid, int flag, const Bytes& text) {
  Bytes fixed = {valclass};
  Put(fixed, objid, 4);
  Put(fixed, 0, 8);
  Bytes variant = {0x38, 0x01};
  Put(variant, static_cast<std::uint32_t>(flag), 4);
  if (flag < 0) variant.clear();
  return FixedVarRecord(0x30, fixed, 6, {static_cast<std::uint8_t>(flag < 0 ? 0x10 : 0)},
                        {{variant}, {text}});
}

// A data file whose module text table (object tableId) has the given pages;
// a page of type 2 stands for an index page of the table.
class ModuleTable : public ::testing::Test {
 protected:
  void Open(std::int32_t tableId, const std::vector<std::pair<std::uint8_t, Bytes>>& pages) {
    testing::PageLayout first;
    first.objectId = 34;
    first.indexId = 0;
    first.pageNumber = 0;
    Bytes file =
        testing::MakeRecordPage(first, {{0, FixedVarRecord(0x10, {1, 0, 0, 0}, 1, {0}, {})}}).bytes;
    for (std::size_t n = 0; n < pages.size(); ++n) {
      testing::PageLayout layout;
      layout.type = pages[n].first;
      layout.objectId = tableId;
      layout.indexId = 0;
      layout.pageNumber = static_cast<std::int32_t>(n + 1);
      const HeaderedPage page = testing::MakeRecordPage(layout, {{0, pages[n].second}});
      file.insert(file.end(), page.bytes.begin(), page.bytes.end());
    }
    testing::WriteWholeFile(dir_.path() / "m.mdf", file);
    NullProgress progress;
    StopFlag stop;
    auto db = DatabaseFile::Open((dir_.path() / "m.mdf").string(), false, progress, stop);
    ASSERT_TRUE(db.ok());
    db_ = std::move(db).value();
    catalog_.sql2000Layout = tableId == kSysComments2000;
  }

  ModuleTextSource Source() { return {*db_, catalog_, stop_, &events_}; }

  testing::TempDir dir_;
  std::unique_ptr<DatabaseFile> db_;
  Catalog catalog_;
  StopFlag stop_;
  testing::RecordingEvents events_;
};

// Pieces of one definition come back in colid order whatever page holds
// them, a character split between two pieces included; an index page of the
// table gives no entry; compressed pieces hold one byte a character.
TEST_F(ModuleTable, SyscommentsPiecesJoinInColidOrder) {
  const Bytes begin = Utf16("create view v as select '\xF0\x9F\x98\x80");  // ends in U+1F600
  const Bytes head(begin.begin(), begin.end() - 2);
  const Bytes tail = {begin.end() - 2, begin.end()};
  Bytes rest = tail;
  const Bytes more = Utf16("' as x");
  rest.insert(rest.end(), more.begin(), more.end());
  Open(kSysComments2000, {{1, CommentRow(500, 2, 0, rest)},
                          {2, CommentRow(500, 3, 0, Utf16(" junk"))},
                          {1, CommentRow(501, 1, 2, {'c', 'a', 'f', 0xE9})},
                          {1, CommentRow(500, 1, 0, head)}});
  ModuleTexts texts = RetrieveModuleTexts(Source());
  EXPECT_EQ(texts.scanList.size(), 3u);
  EXPECT_EQ(BuildModuleText(texts, Source(), "500"),
            "create view v as select '\xF0\x9F\x98\x80' as x");
  EXPECT_EQ(BuildModuleText(texts, Source(), "501"), "caf\xC3\xA9");
  EXPECT_EQ(BuildModuleText(texts, Source(), "50"), "");
  // One walk for the scan list and one for the viewer list, however many
  // definitions are asked for.
  EXPECT_EQ(events_.logLines(),
            (std::vector<std::string>{kRetrievingModulesText, kRetrievingModulesDoneText,
                                      kRetrievingModulesText, kRetrievingModulesDoneText}));
}

TEST_F(ModuleTable, AnEmptyCollectionIsTriedAgainOnTheNextRequest) {
  Open(kSysObjValues, {});
  ModuleTexts texts;
  EXPECT_EQ(BuildModuleText(texts, Source(), "5"), "");
  EXPECT_FALSE(texts.collected);
  EXPECT_EQ(BuildModuleText(texts, Source(), "5"), "");
  EXPECT_EQ(events_.logLines().size(), 4u);
}

TEST_F(ModuleTable, AStopRequestEndsTheWalk) {
  Open(kSysObjValues, {{1, ObjectValueRow(1, 7, 0, Utf16("x"))}});
  stop_.Request();
  EXPECT_TRUE(RetrieveModuleTexts(Source()).scanList.empty());
  EXPECT_EQ(events_.logLines().back(), kRetrievingModulesDoneText);
}

// sysobjvalues: only definition rows become entries; the value's flag tells
// a compressed text from a UTF-16 one; a NULL value does not shift imageval.
// Both renderers read the rows alike.
TEST_F(ModuleTable, SysobjvaluesRowsByRenderer) {
  Open(kSysObjValues, {{1, ObjectValueRow(1, 7, 0, Utf16("create proc p as select 1"))},
                       {1, ObjectValueRow(1, 8, 2, {'(', '1', ')'})},
                       {1, ObjectValueRow(1, 9, -1, Utf16("(getdate())"))},
                       {1, ObjectValueRow(60, 7, 0, {0x07, 0, 0, 0})}});
  for (const bool placed : {true, false}) {
    SCOPED_TRACE(placed ? "placed by rowset columns" : "legacy");
    catalog_.rowsetColumns.assign(placed ? 1 : 0, RowsetColumnRow{});
    ModuleTexts texts = RetrieveModuleTexts(Source());
    EXPECT_EQ(texts.scanList.size(), 3u);
    EXPECT_EQ(JoinModuleText(texts.scanList, "7"), "create proc p as select 1");
    EXPECT_EQ(JoinModuleText(texts.scanList, "8"), "(1)");
    EXPECT_EQ(JoinModuleText(texts.scanList, "9"), "(getdate())");
  }
}

// The join itself: rows under the same key are one piece; numbers come
// before colids; rows without hex text add nothing.
TEST(JoinModuleText, OrdersByNumberThenPieceAndDropsCopies) {
  const auto entry = [](const char* number, const char* piece, const std::string& text) {
    std::string hex = "0x";
    for (const char c : text) {
      const auto ch = static_cast<unsigned char>(c);
      static constexpr char kDigits[] = "0123456789ABCDEF";
      hex += kDigits[ch >> 4];
      hex += kDigits[ch & 15];
      hex += "00";
    }
    return ModuleTextEntry{"3", number, hex, piece, false};
  };
  const std::vector<ModuleTextEntry> entries = {entry("2", "1", "C"),
                                                entry("1", "2", "B"),
                                                entry("1", "1", "A"),
                                                entry("1", "2", "B"),
                                                ModuleTextEntry{"3", "1", "NULL", "3", false},
                                                entry("0", "1", "")};
  EXPECT_EQ(JoinModuleText(entries, "3"), "ABC");
  EXPECT_EQ(JoinModuleText(entries, "33"), "");
}

TEST(ModuleTextEntryOf, ARowWithoutCellsGivesNoEntry) {
  EXPECT_FALSE(ModuleTextEntryOf(RenderedRow{}, false));
  EXPECT_FALSE(ModuleTextEntryOf(RenderedRow{}, true));
  RenderedRow shortRow;
  shortRow.cells = {Cell::Text("12")};
  const auto entry = ModuleTextEntryOf(shortRow, true);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->objectId, "12");
  EXPECT_EQ(entry->valueText, "");
}

}  // namespace
}  // namespace tessaril
