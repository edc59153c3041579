#include "records/lob.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "testing/record_builder.h"
#include "testing/corpus.h"

namespace tessaril {
namespace {

using testing::Bytes;
using testing::LobLinkTo;
using testing::PageRecord;
using testing::TextRecordOf;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Slots of text page 1 of the test file.
enum Slot : std::uint16_t {
  kHello,
  kLarge,
  kWorld,
  kTiny,
  kNodeOverThree,
  kRootOverNodeAndTiny,
  kShilohRoot,
  kLoop,
  kUnknownFileThenWorld,
  kUnknownType,
  kShortRecord,
  kMissingThenWorld,
  kChainStart,  // internal nodes, each linking to the next, the last to kHello
};
constexpr int kChainLength = kMaxLobDepth + 1;

LobLinkTo To(std::uint16_t slot, std::uint32_t size = 1) { return {1, 1, slot, size}; }

// One file: page 1 a text page holding the structures above, page 2 a data
// page, page 3 a text page that says it is page 9.
class LobTree : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<PageRecord> text = {
        {0, TextRecordOf(testing::LobDataStructure(Text("Hello, ")))},
        {0, TextRecordOf(testing::LobDataStructure(Text("large ")))},
        {0, TextRecordOf(testing::LobDataStructure(Text("world")))},
        {0, TextRecordOf(testing::LobSmallRoot(Text("tiny")))},
        {0, TextRecordOf(testing::LobInternal({To(kHello), To(kLarge), To(kWorld)}))},
        {0, TextRecordOf(testing::LobLargeRoot({To(kNodeOverThree), To(kTiny)}))},
        {0, TextRecordOf(testing::LobLargeRoot({To(kHello)}, kLargeRootShilohType))},
        {0, TextRecordOf(testing::LobInternal({To(kLoop), To(kWorld), To(kLoop)}))},
        {0, TextRecordOf(testing::LobLargeRoot({{1200, 1, kHello, 1}, To(kWorld)}))},
        {0, TextRecordOf(testing::LobStructure(7, Text("not decoded")))},
        {0, TextRecordOf(Text("8 bytes!"))},
        {0, TextRecordOf(testing::LobLargeRoot({To(200), {1, 2, 0, 1}, To(kWorld)}))},
    };
    for (int i = 0; i < kChainLength; ++i) {
      const auto next =
          static_cast<std::uint16_t>(i + 1 < kChainLength ? kChainStart + i + 1 : kHello);
      text.push_back({0, TextRecordOf(testing::LobInternal({To(next)}))});
    }
    Bytes file = testing::MakeRecordFile({{}, text, {}}, kTextMixPageType);
    testing::PageLayout shifted;
    shifted.type = kTextMixPageType;
    shifted.pageNumber = 9;
    const HeaderedPage page = testing::MakeRecordPage(
        shifted, {{0, TextRecordOf(testing::LobDataStructure(Text("elsewhere")))}});
    file.insert(file.end(), page.bytes.begin(), page.bytes.end());
    // Page 2 is no text page.
    file[2 * kPageSize + 1] = kDataPageType;
    testing::WriteWholeFile(dir_.path() / "lob.mdf", file);
    NullProgress progress;
    StopFlag stop;
    auto db = DatabaseFile::Open((dir_.path() / "lob.mdf").string(), false, progress, stop);
    ASSERT_TRUE(db.ok());
    db_ = std::move(db).value();
  }

  testing::TempDir dir_;
  std::unique_ptr<DatabaseFile> db_;
};

struct LobCase {
  const char* name;
  Bytes pointer;                     // an in-row root, or a 16-byte text pointer
  std::optional<std::string> bytes;  // nothing: no structure reached
};

TEST_F(LobTree, PointersGiveTheValueBytesInLinkOrder) {
  const auto root = [](std::vector<LobLinkTo> links) { return testing::InRowLobRoot(4, links); };
  const auto pointer = [](std::uint16_t slot, std::int32_t page = 1) {
    return testing::TextPointer(1, page, slot);
  };
  const std::vector<LobCase> cases = {
      {"small root", pointer(kTiny), "tiny"},
      {"data through a row-overflow root", testing::InRowLobRoot(2, {To(kHello)}), "Hello, "},
      {"internal node over three data", pointer(kNodeOverThree), "Hello, large world"},
      {"large root over a node and a small root", pointer(kRootOverNodeAndTiny),
       "Hello, large worldtiny"},
      {"2000 large root", root({To(kShilohRoot)}), "Hello, "},
      {"in-row root of two links, the first of size 0", root({To(kHello, 0), To(kWorld)}), "world"},
      {"text pointer past the page's records", pointer(200), std::nullopt},
      {"loop in the tree", pointer(kLoop), "world"},
      {"link to an unknown file", pointer(kUnknownFileThenWorld), "world"},
      {"links to a missing slot and to no text page", pointer(kMissingThenWorld), "world"},
      {"unknown structure type", pointer(kUnknownType), std::nullopt},
      {"record shorter than a structure header", pointer(kShortRecord), std::nullopt},
      {"tree deeper than the limit", pointer(kChainStart), ""},
      {"page that says it is another page", pointer(0, 3), std::nullopt},
      {"page past the end of the file", pointer(0, 40), std::nullopt},
  };
  for (const LobCase& c : cases) {
    SCOPED_TRACE(c.name);
    LobReader reader(*db_, {});
    const ByteView view(c.pointer.data(), c.pointer.size());
    const LobBytes got =
        c.pointer.size() == 16 ? reader.ReadTextPointer(view) : reader.ReadLobRoot(view);
    EXPECT_EQ(got.reached, c.bytes.has_value());
    EXPECT_EQ(std::string(got.bytes.begin(), got.bytes.end()), c.bytes.value_or(""));
  }
}

TEST(TextRecord, StructureLengthCountsTheBytesAfterTheHeader) {
  struct Case {
    Bytes record;
    std::size_t structureBytes;
    std::int16_t structureLength;
  };
  const std::vector<Case> cases = {
      {testing::Hex("08000400"), 0, 0},          // no data
      {TextRecordOf(Bytes(30, 1)), 30, 20},      // header and 20 bytes
      {TextRecordOf(Bytes(8, 1)), 8, 8},         // too short for a header
      {testing::Hex("0800ff7f00000000"), 0, 0},  // data past the page
  };
  for (const Case& c : cases) {
    Bytes page(kPageSize, 0);
    std::copy(c.record.begin(), c.record.end(), page.begin() + 8000);
    const auto record = DecodeTextRecord(ByteView(page.data(), page.size()), 8000);
    EXPECT_EQ(record->structure().size(), c.structureBytes);
    EXPECT_EQ(record->structureLength, c.structureLength);
  }
}

}  // namespace
}  // namespace tessaril
