#include "storage/page_slots.h"

#include <gtest/gtest.h>

#include <vector>

#include "storage/page_id.h"

namespace tessaril {
namespace {

struct SlotCase {
  const char* name;
  int count;                         // the header's slot count
  std::uint16_t freeDataOffset;      // the header's free data offset
  std::vector<std::uint16_t> slots;  // written from slot 0; the rest of the array is filler
  std::uint16_t filler;              // what lies below the written slots
  std::size_t keptSlots;
  bool countCut;
  bool offsetTrusted;
  std::vector<std::size_t> badSlots;
};

std::vector<std::uint8_t> PageWith(const SlotCase& c) {
  std::vector<std::uint8_t> page(kPageSize, 0);
  for (std::size_t pos = kPageHeaderSize; pos + 1 < kPageSize; pos += 2) {
    page[pos] = static_cast<std::uint8_t>(c.filler);
    page[pos + 1] = static_cast<std::uint8_t>(c.filler >> 8);
  }
  for (std::size_t j = 0; j < c.slots.size(); ++j) {
    const std::size_t pos = kPageSize - 2 - 2 * j;
    page[pos] = static_cast<std::uint8_t>(c.slots[j]);
    page[pos + 1] = static_cast<std::uint8_t>(c.slots[j] >> 8);
  }
  return page;
}

class SlotArrayCheckTest : public ::testing::TestWithParam<SlotCase> {};

TEST_P(SlotArrayCheckTest, KeepsTheSlotsThatAgreeWithThePage) {
  const SlotCase& c = GetParam();
  const std::vector<std::uint8_t> page = PageWith(c);
  const SlotArrayCheck check =
      CheckSlotArray({page.data(), page.size()}, c.count, c.freeDataOffset);
  EXPECT_EQ(check.slots.size(), c.keptSlots);
  EXPECT_EQ(check.countCut, c.countCut);
  EXPECT_EQ(check.freeDataOffsetTrusted, c.offsetTrusted);
  EXPECT_EQ(check.badSlots, c.badSlots);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, SlotArrayCheckTest,
    ::testing::Values(
        SlotCase{"Healthy", 3, 400, {96, 200, 300}, 0, 3, false, true, {}},
        SlotCase{"EmptySlotIsNoFault", 3, 400, {96, 0, 300}, 0, 3, false, true, {}},
        SlotCase{"OffsetPastFreeSpace", 3, 400, {96, 7000, 300}, 0, 3, false, true, {1}},
        SlotCase{"OffsetInHeader", 3, 400, {96, 40, 300}, 0, 3, false, true, {1}},
        SlotCase{"RepeatedOffset", 3, 400, {96, 200, 96}, 0, 3, false, true, {2}},
        // The count claims slots down into the records: cut where the slots
        // stop being slots (here the record bytes read 0x4141).
        SlotCase{"LyingCountOverRecords", 3999, 7000, {96, 200, 300}, 0x4141, 3, true, true, {}},
        // Zeros of fresh free space below the real slots are dropped too.
        SlotCase{"LyingCountOverZeros", 3999, 7000, {96, 200, 300}, 0, 3, true, true, {}},
        // A free data offset past the slot array, with slots that are all
        // real: the offset lies, and the slot array bounds the records.
        SlotCase{"LyingFreeDataOffset", 4, 8190, {96, 200, 300, 400}, 0, 4, false, false, {}},
        // An offset below every slot: the offset lies, not the slots.
        SlotCase{"FreeDataOffsetBelowSlots", 3, 150, {200, 300, 400}, 0, 3, false, false, {}},
        SlotCase{"ImpossibleOffset", 2, 20, {96, 200}, 0, 2, false, false, {}},
        SlotCase{"CountOfFourThousandReadsNothing", 4000, 400, {96}, 0, 0, false, true, {}}),
    [](const ::testing::TestParamInfo<SlotCase>& param) { return param.param.name; });

}  // namespace
}  // namespace tessaril
