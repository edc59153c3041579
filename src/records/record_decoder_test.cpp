#include "records/record_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/record_builder.h"
#include "records/record_page.h"

namespace tessaril {
namespace {

using testing::Bytes;
using testing::FixedVarRecord;
using testing::Hex;
using testing::VarValue;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Decodes one record placed at offset 96 of an otherwise empty data page.
std::unique_ptr<CPrimaryRecord> Decode(const Bytes& record, RecordOptions options = {}) {
  const HeaderedPage page = testing::MakeRecordPage({}, {{0, record}});
  const PageContext context{ByteView(page.bytes.data(), page.bytes.size()), &page.header, nullptr};
  return DecodeRecord(context, kPageHeaderSize, kPageSize - kPageHeaderSize, options);
}

std::string ValueText(const CRecord& r, std::size_t i) {
  const ByteView v = r.ValueBytes(r.values.at(i));
  return std::string(v.data(), v.data() + v.size());
}

TEST(RecordDecoder, FixedVarRecordWithEveryPart) {
  // int 7, then a null bitmap for 3 columns (column 2 NULL), then "ab", "cde".
  const Bytes bytes = FixedVarRecord(0x30, {7, 0, 0, 0}, 3, {0x04}, {{Text("ab")}, {Text("cde")}});
  const auto r = Decode(bytes);
  EXPECT_FALSE(r->isInvalid);
  EXPECT_EQ(r->recordType, kPrimaryRecord);
  EXPECT_EQ(r->fixedLength, 4);
  EXPECT_EQ(LoadU32(r->fixedData(), 0), 7u);
  EXPECT_EQ(r->columnCount, 3);
  EXPECT_TRUE(r->IsNull(2));
  EXPECT_FALSE(r->IsNull(1));
  ASSERT_EQ(r->values.size(), 2u);
  EXPECT_EQ(ValueText(*r, 0), "ab");
  EXPECT_EQ(ValueText(*r, 1), "cde");
  EXPECT_EQ(r->recordLength, static_cast<std::int32_t>(bytes.size()));
  EXPECT_EQ(r->rawRecord().size(), bytes.size());
}

TEST(RecordDecoder, OddRecordsAreReadAsFarAsTheyHold) {
  // Fixed-part end 4: no fixed data, the column count sits at offset 4.
  const auto noFixed = Decode(FixedVarRecord(0x30, {}, 1, {0x00}, {{Text("xyz")}}));
  EXPECT_EQ(noFixed->fixedData().size(), 0u);
  EXPECT_EQ(noFixed->columnCount, 1);
  EXPECT_EQ(ValueText(*noFixed, 0), "xyz");

  // A zero-length value and a value ending before the position: entries without data,
  // and the next value is measured from the same position. Offsets that go
  // backwards are damage: the record is read as far as it holds, but it is
  // invalid and gives no row.
  Bytes odd = FixedVarRecord(0x30, {}, 3, {0x00}, {{}, {Text("q")}, {Text("rs")}});
  const std::size_t offsets = 4 + 2 + 1 + 2;  // status, fixed end, count, bitmap, var count
  odd[offsets + 2] = 2;                       // second end offset points backwards
  odd[offsets + 3] = 0;
  const auto r = Decode(odd);
  ASSERT_EQ(r->values.size(), 3u);
  EXPECT_FALSE(r->values[0].hasData);
  EXPECT_EQ(r->values[0].length, 0);
  EXPECT_FALSE(r->values[1].hasData);
  EXPECT_EQ(ValueText(*r, 2), "qrs");  // measured from where the first value ended
  EXPECT_TRUE(r->isInvalid);

  // An end offset past the page: invalid too. Equal ends (an empty value) are not.
  Bytes past = FixedVarRecord(0x30, {}, 2, {0x00}, {{Text("a")}, {Text("b")}});
  past[offsets + 2] = 0xF0;
  past[offsets + 3] = 0x7F;
  EXPECT_TRUE(Decode(past)->isInvalid);
  EXPECT_FALSE(Decode(FixedVarRecord(0x30, {}, 2, {0x00}, {{}, {Text("b")}}))->isInvalid);
}

TEST(RecordDecoder, GhostRecordsNeedTheDeletedRecordsOption) {
  // A real ghost data record: 4 columns, the fixed Filler column NULL but full of garbage.
  const Bytes ghost = Hex(
      "3c006c000c0000000000000000000000108d50d719000000fffffffff97f0000c00ef0cf19000000eb95c149f97f"
      "000000020000000000003596c149f97f00000000f0cf19000000a9eacf8e1c000000feffffffffffffff371b0f4a"
      "f97f0000d00135c519000000eb95c14904000802007f0089004100610072006f006e004100640061006d007300");
  const auto hidden = Decode(ghost);
  EXPECT_TRUE(hidden->isInvalid);
  EXPECT_TRUE(hidden->isGhost);

  RecordOptions deleted;
  deleted.showDeletedRecords = true;
  const auto shown = Decode(ghost, deleted);
  EXPECT_FALSE(shown->isInvalid);
  EXPECT_FALSE(shown->isGhost);
  EXPECT_EQ(shown->recordType, kGhostDataRecord);
  EXPECT_EQ(LoadU32(shown->fixedData(), 0), 12u);  // BusinessEntityID
  EXPECT_EQ(shown->columnCount, 4);
  EXPECT_TRUE(shown->IsNull(3));
  ASSERT_EQ(shown->values.size(), 2u);
  EXPECT_EQ(ValueText(*shown, 0), std::string("A\0a\0r\0o\0n\0", 10));
  EXPECT_EQ(ValueText(*shown, 1), std::string("A\0d\0a\0m\0s\0", 10));
}

TEST(RecordDecoder, ComplexValuesAreTakenForSparseSetsByTheirId) {
  const Bytes sparse = Hex("05000200030006001000140003000000d2040000");
  Bytes pointer16 =
      Hex("0500000000000000"
          "0000000000000000");  // 16 bytes, first word 5
  const auto r = Decode(FixedVarRecord(0x30, {}, 2, {0}, {{pointer16, true}, {sparse, true}}));
  ASSERT_TRUE(r->sparseVector);
  ASSERT_EQ(r->sparseVector->values.size(), 2u);
  EXPECT_EQ(r->sparseVector->values[0].id, 3);
  EXPECT_EQ(r->sparseVector->values[1].id, 6);
  EXPECT_EQ(LoadU32(r->ValueBytes(r->sparseVector->values[1]), 0), 1234u);

  const auto only16 = Decode(FixedVarRecord(0x30, {}, 1, {0}, {{pointer16, true}}));
  EXPECT_FALSE(only16->sparseVector);  // a 16-byte value is a text pointer here
  EXPECT_EQ(only16->values.at(0).length, 16);
}

TEST(RecordDecoder, ForwardedRecordDropsItsBackPointer) {
  // Both columns variable; the third variable value is the 10-byte back pointer.
  const Bytes back =
      Hex("0400"
          "2a000000"
          "0100"
          "0300");
  const auto r = Decode(FixedVarRecord(0x32, {}, 2, {0}, {{Text("a")}, {Text("b")}, {back, true}}));
  EXPECT_FALSE(r->isInvalid);
  EXPECT_EQ(r->recordType, kForwardedRecord);
  ASSERT_EQ(r->values.size(), 2u);
  EXPECT_EQ(ValueText(*r, 1), "b");
  ASSERT_TRUE(r->backPointer);
  EXPECT_EQ(r->backPointer->page, (PageId{1, 42}));
  EXPECT_EQ(r->backPointer->slot, 3);

  // One more value than columns that is no back pointer: nothing is kept.
  const auto bad = Decode(FixedVarRecord(0x30, {}, 1, {0}, {{Text("a")}, {Text("b")}}));
  EXPECT_TRUE(bad->values.empty());
}

struct CompressedCase {
  const char* name;
  Bytes bytes;
  bool invalid;
  int columns;
  std::vector<std::uint8_t> codes;  // the first few
  std::size_t shortBytes;
};

TEST(RecordDecoder, CompressedLayoutAsTheBytesSay) {
  Bytes count31 = {0x01, 31};
  for (int i = 0; i < 16; ++i) count31.push_back(0x22);  // code 2: one short byte each
  count31.push_back(0x00);                               // cluster byte (31 columns)
  for (int i = 0; i < 31; ++i) count31.push_back(static_cast<std::uint8_t>(i));
  Bytes count30 = {0x01, 30};
  for (int i = 0; i < 15; ++i) count30.push_back(0x22);
  for (int i = 0; i < 30; ++i) count30.push_back(static_cast<std::uint8_t>(i));
  Bytes count200 = {0x01, 0x80, 200};  // 15-bit big-endian count with the flag bit
  for (int i = 0; i < 100; ++i) count200.push_back(0x00);
  count200.push_back(0x00);  // cluster bytes: (200 - 1) / 30 = 6
  const std::vector<CompressedCase> cases = {
      {"anchor record",
       Hex("0109040428001883030081188b80a31e000000005380a31e00000000"),
       false,
       9,
       {4, 0, 4, 0, 8, 2, 0, 0, 8},
       21},
      {"31 columns have a cluster byte", count31, false, 31, {2, 2, 2}, 31},
      {"30 columns have none", count30, false, 30, {2, 2, 2}, 30},
      {"two-byte count", count200, false, 200, {0, 0}, 0},
      {"two-byte count beyond 1024", Hex("0185ff00"), true, 0, {}, 0},
      {"no columns", Hex("0100"), true, 0, {}, 0},
  };
  for (const CompressedCase& c : cases) {
    const auto r = Decode(c.bytes);
    EXPECT_EQ(r->isInvalid, c.invalid) << c.name;
    if (c.invalid) continue;
    EXPECT_TRUE(r->isCompressed) << c.name;
    EXPECT_EQ(r->columnCount, c.columns) << c.name;
    ASSERT_GE(r->cdCodes.size(), c.codes.size()) << c.name;
    EXPECT_EQ(
        std::vector<std::uint8_t>(r->cdCodes.begin(),
                                  r->cdCodes.begin() + static_cast<std::ptrdiff_t>(c.codes.size())),
        c.codes)
        << c.name;
    EXPECT_EQ(r->fixedData().size(), c.shortBytes) << c.name;
  }
  // 31 columns: the short data starts after the cluster byte.
  EXPECT_EQ(Decode(count31)->fixedData().At(0), 0);
  EXPECT_EQ(Decode(count31)->fixedData().At(30), 30);
}

TEST(RecordDecoder, CompressedStatusHasItsOwnBits) {
  struct Case {
    std::uint8_t status;
    std::int32_t type;
    bool versioned;
    bool invalidWithoutDeleted;
  };
  const std::vector<Case> cases = {
      {0x01, kPrimaryRecord, false, false},
      {0x03, kPrimaryRecord, true, false},  // versioning information: still a primary record
      {0x11, kForwardedRecord, false, false},
      {0x0D, kGhostDataRecord, false, true},
      {0x19, kIndexRecord, false, true},
  };
  for (const Case& c : cases) {
    const Bytes bytes = {c.status, 0x01, 0x02, 0x2a};  // one column, code 2, one short byte
    const auto r = Decode(bytes);
    EXPECT_EQ(r->recordType, c.type) << int{c.status};
    EXPECT_EQ(r->hasVersionTag, c.versioned) << int{c.status};
    EXPECT_EQ(r->isInvalid, c.invalidWithoutDeleted) << int{c.status};
    if (!r->isInvalid) {
      EXPECT_EQ(r->fixedData().At(0), 0x2a) << int{c.status};
    }
  }
}

}  // namespace
}  // namespace tessaril
