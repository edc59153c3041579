#include "records/record_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "testing/record_builder.h"
#include "testing/corpus.h"

namespace tessaril {
namespace {

using testing::Bytes;
using testing::FixedVarRecord;
using testing::MakeRecordPage;
using testing::PageLayout;
using testing::PageRecord;
using testing::VarValue;

Bytes Row(const std::string& text) {
  return FixedVarRecord(0x30, {1, 2, 3, 4}, 2, {0}, {{Bytes(text.begin(), text.end())}});
}

std::size_t Present(const PrimaryRecordPage& page) {
  std::size_t n = 0;
  for (const auto& r : page.records()) n += r != nullptr;
  return n;
}

RecordOptions Deleted(bool carve) {
  RecordOptions o;
  o.showDeletedRecords = true;
  o.showAdvancedDeletedRecords = carve;
  return o;
}

TEST(RecordPage, SlotsThatYieldNoRecordStayAsNullEntries) {
  PageLayout layout;
  const PrimaryRecordPage page(MakeRecordPage(layout, {{0, Row("a")}, {0, Row("b")}}, {0}), nullptr,
                               {});
  ASSERT_EQ(page.records().size(), 3u);
  EXPECT_NE(page.records()[0], nullptr);
  EXPECT_NE(page.records()[1], nullptr);
  EXPECT_EQ(page.records()[2], nullptr);  // slot offset 0

  // Offset 90 lies in the header: a damaged slot. Offset 8180 leaves 12 bytes
  // to read, and the slot array overwrites its column count.
  const Bytes tail = FixedVarRecord(0x10, {9, 9, 9, 9}, 1, {0}, {});
  PageLayout low = layout;
  low.freeDataOffset = 200;
  const PrimaryRecordPage edges(MakeRecordPage(low, {{8180, tail}}, {90}), nullptr, {});
  ASSERT_EQ(edges.records().size(), 2u);
  ASSERT_NE(edges.records()[0], nullptr);
  EXPECT_EQ(edges.records()[0]->maxLength, 12);
  EXPECT_EQ(edges.records()[0]->fixedData().size(), 4u);
  EXPECT_TRUE(edges.records()[0]->isInvalid);
  EXPECT_EQ(edges.records()[1], nullptr);
  EXPECT_EQ(edges.damagedRecordCount(), 1u);
}

TEST(RecordPage, PageRulesDecideWhetherSlotsAreRead) {
  struct Case {
    const char* name;
    PageLayout layout;
    RecordOptions options;
    std::size_t entries;
    std::size_t present;
  };
  PageLayout allGhosts;
  allGhosts.ghostRecordCount = 2;
  PageLayout lyingGhosts;
  lyingGhosts.ghostRecordCount = 40000;  // past the slot count, and negative as a signed number
  PageLayout nonLeaf;
  nonLeaf.type = 2;
  nonLeaf.level = 1;
  PageLayout tooMany;
  tooMany.slotCount = 4000;
  PageLayout negativePage;
  negativePage.pageNumber = -3;
  const std::vector<Case> cases = {
      {"ghost count equals slot count", allGhosts, {}, 2, 0},
      {"ghost count with deleted records shown", allGhosts, Deleted(false), 2, 2},
      {"ghost count past the slot count", lyingGhosts, {}, 2, 2},
      {"non-leaf index page", nonLeaf, {}, 2, 0},
      {"slot count 4000", tooMany, {}, 0, 0},
      {"negative page number", negativePage, {}, 0, 0},
  };
  for (const Case& c : cases) {
    const PrimaryRecordPage page(MakeRecordPage(c.layout, {{0, Row("a")}, {0, Row("b")}}), nullptr,
                                 c.options);
    EXPECT_EQ(page.records().size(), c.entries) << c.name;
    EXPECT_EQ(Present(page), c.present) << c.name;
  }
}

// Slots and records are held to the page they lie on: a slot that points
// outside the records, repeats another or lands inside a record, and a
// record that runs past the free data offset give no row; they stay in the
// list marked invalid and are counted. A lying slot count ends at the last
// slot that is consistent, without counting the entries past it as records.
TEST(RecordPage, SlotsThatDisagreeWithThePageGiveNoRow) {
  // Rows long enough that a slot array of 3999 entries reaches into them.
  const std::vector<std::string> texts = {"alpha" + std::string(300, 'a'),
                                          "bravo" + std::string(300, 'b'),
                                          "charlie" + std::string(300, 'c')};
  std::vector<PageRecord> rows;
  std::size_t end = kPageHeaderSize;
  for (const std::string& t : texts) {
    rows.push_back({0, Row(t)});
    end += rows.back().bytes.size();
  }
  const auto inside = static_cast<std::uint16_t>(kPageHeaderSize + 3);
  struct Case {
    const char* name;
    std::int32_t slotCount;
    std::int32_t freeDataOffset;
    std::vector<std::uint16_t> extraSlots;
    std::size_t entries;
    std::size_t rows;
    std::size_t damaged;
    bool cut;
  };
  const std::vector<Case> cases = {
      {"healthy", -1, -1, {}, 3, 3, 0, false},
      {"slot count 3999 over zeros", 3999, -1, {}, 3, 3, 0, true},
      {"slot count 3999 over a junk slot", 3999, -1, {inside}, 3, 3, 0, true},
      {"slot into a record", -1, -1, {inside}, 4, 3, 1, false},
      {"repeated slot", -1, -1, {kPageHeaderSize}, 4, 3, 1, false},
      {"slot past the free data offset", -1, -1, {5000}, 4, 3, 1, false},
      {"record past the free data offset",
       -1,
       static_cast<std::int32_t>(end - 2),
       {},
       3,
       2,
       1,
       false},
  };
  for (const Case& c : cases) {
    PageLayout layout;
    layout.slotCount = c.slotCount;
    layout.freeDataOffset = c.freeDataOffset;
    const PrimaryRecordPage page(MakeRecordPage(layout, rows, c.extraSlots), nullptr, {});
    EXPECT_EQ(page.records().size(), c.entries) << c.name;
    EXPECT_EQ(page.damagedRecordCount(), c.damaged) << c.name;
    EXPECT_EQ(page.slotCountCut(), c.cut) << c.name;
    std::size_t valid = 0;
    for (const auto& r : page.records()) {
      if (r == nullptr || r->isInvalid) continue;
      ++valid;
      ASSERT_EQ(r->values.size(), 1u) << c.name;
      const ByteView v = r->ValueBytes(r->values[0]);
      const std::string text(v.data(), v.data() + v.size());
      EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end()) << c.name;
    }
    EXPECT_EQ(valid, c.rows) << c.name;
  }
}

TEST(RecordPage, CarvingFindsRowsNoSlotPointsTo) {
  // Three rows; the middle one lost its slot, as a deleted row does.
  const Bytes a = Row("first");
  const Bytes b = Row("second");
  const Bytes c = Row("third");
  PageLayout layout;
  layout.minRecordLength = 8;  // fixed-part end of these rows
  const std::uint16_t bAt = static_cast<std::uint16_t>(96 + a.size());
  const std::uint16_t cAt =
      static_cast<std::uint16_t>(bAt + b.size() + 40);  // a gap of junk-free zeros
  auto build = [&] {
    HeaderedPage page = MakeRecordPage(layout, {{96, a}, {cAt, c}});
    std::copy(b.begin(), b.end(), page.bytes.begin() + bAt);
    return page;
  };
  const PrimaryRecordPage plain(build(), nullptr, Deleted(false));
  EXPECT_EQ(plain.records().size(), 2u);

  const PrimaryRecordPage carved(build(), nullptr, Deleted(true));
  ASSERT_EQ(carved.records().size(), 3u);
  EXPECT_EQ(carved.carvedCount(), 1u);
  EXPECT_EQ(carved.slotOffsets()[2], bAt);
  const CPrimaryRecord& found = *carved.records()[2];
  EXPECT_TRUE(found.carved);
  const ByteView v = found.ValueBytes(found.values.at(0));
  EXPECT_EQ(std::string(v.data(), v.data() + v.size()), "second");

  // Carving needs both options; with only ghosts shown nothing is added.
  EXPECT_EQ(PrimaryRecordPage(build(), nullptr, Deleted(false)).carvedCount(), 0u);
}

TEST(RecordPage, CarvingWithoutSignaturesAddsOnlyChainedRows) {
  PageLayout layout;
  layout.minRecordLength = 8;
  // Two rows back to back; the second has no slot but follows the first's length.
  const Bytes a = Row("x");
  const Bytes b = Row("y");
  HeaderedPage page = MakeRecordPage(layout, {{96, a}});
  std::copy(b.begin(), b.end(), page.bytes.begin() + 96 + static_cast<std::ptrdiff_t>(a.size()));
  const PrimaryRecordPage carved(std::move(page), nullptr, Deleted(true));
  EXPECT_EQ(carved.carvedCount(), 1u);

  const PrimaryRecordPage empty(MakeRecordPage(layout, {{96, Row("z")}}), nullptr, Deleted(true));
  EXPECT_EQ(empty.carvedCount(), 0u);
}

TEST(RecordPage, SignaturesFollowThePagesFixedLength) {
  const Bytes page = testing::Hex(
      "30000800"
      "3c000800"
      "70000800"
      "30008400"
      "3c008400"
      "30000900"
      "32000800"
      "30010800");
  const ByteView v(page.data(), page.size());
  const std::vector<bool> expected = {true, true, true, true, true, false, false, false};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(IsRecordSignature(v, 4 * i, 8), expected[i]) << i;
  }
  EXPECT_FALSE(IsRecordSignature(v, page.size() - 2, 8));  // would read past the end
}

// Pages on disk: page 0 makes the file a data file; the others hold stubs.
class ForwardingStubs : public ::testing::Test {
 protected:
  void SetUp() override {
    const Bytes back = testing::Hex(
        "0400"
        "01000000"
        "0100"
        "0000");
    std::vector<std::vector<PageRecord>> pages(10);
    pages[0] = {{0, Row("system")}};
    pages[1] = {{0, testing::StubRecord(1, 2, 0)},    // to a forwarded row
                {0, testing::StubRecord(1, 3, 0)},    // to another stub
                {0, testing::StubRecord(1, 1, 2)},    // to itself
                {0, testing::StubRecord(1, 99, 0)}};  // past the end of the file
    pages[2] = {{0, FixedVarRecord(0x32, {5, 0, 0, 0}, 2, {0}, {{Bytes{'z'}}, {back, true}})}};
    pages[3] = {{0, testing::StubRecord(1, 2, 0)}};
    const Bytes file = testing::MakeRecordFile(pages);
    testing::WriteWholeFile(dir_.path() / "stubs.mdf", file);
    NullProgress progress;
    StopFlag stop;
    auto db = DatabaseFile::Open((dir_.path() / "stubs.mdf").string(), false, progress, stop);
    ASSERT_TRUE(db.ok()) << db.error();
    db_ = std::move(db).value();
  }
  testing::TempDir dir_;
  std::unique_ptr<DatabaseFile> db_;
};

TEST_F(ForwardingStubs, AreFollowedOneHopOnly) {
  auto page = db_->ReadPage({1, 1});
  ASSERT_TRUE(page);
  const PrimaryRecordPage stubs(std::move(*page), db_.get(), {});
  ASSERT_EQ(stubs.records().size(), 4u);

  const CPrimaryRecord& followed = *stubs.records()[0];
  EXPECT_FALSE(followed.isInvalid);
  EXPECT_EQ(followed.recordType, kForwardingStub);
  EXPECT_EQ(LoadU32(followed.fixedData(), 0), 5u);
  ASSERT_EQ(followed.values.size(), 1u);
  EXPECT_EQ(followed.ValueBytes(followed.values[0]).At(0), 'z');
  EXPECT_EQ(followed.forwardedTo->page, (PageId{1, 2}));
  EXPECT_EQ(followed.id.page, (PageId{1, 1}));

  EXPECT_TRUE(stubs.records()[1]->isInvalid);  // a stub to a stub is not followed further
  EXPECT_TRUE(stubs.records()[2]->isInvalid);  // a stub to itself ends at once
  const CPrimaryRecord& lost = *stubs.records()[3];
  EXPECT_FALSE(lost.isInvalid);
  EXPECT_EQ(lost.fixedLength, kUnreadableStubTarget);
  EXPECT_TRUE(lost.fixedData().empty());
}

}  // namespace
}  // namespace tessaril
