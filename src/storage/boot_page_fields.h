// The fields of the boot page's database information record that a forensic
// view shows beside the version, name and collation the scan uses. Their
// offsets hold for the 2005 and later layout (format 611 on); the 2000
// layout is not decoded beyond those three.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "base/byte_view.h"
#include "storage/page_header.h"
#include "storage/page_id.h"

namespace tessaril {

struct BootPageFields {
  std::uint16_t createVersion = 0;           // the format the database was created in
  std::int32_t status = 0;                   // database status bits
  std::array<std::uint8_t, 8> createDate{};  // datetime: 1/300 s ticks, then days
  std::int16_t databaseId = 0;
  std::int16_t compatibilityLevel = 0;  // 100 for 2008, 120 for 2014 and so on
  std::int64_t maxDbTimestamp = 0;
  LogSequenceNumber checkpointLsn;
  std::int16_t dbccFlags = 0;
  std::array<std::uint8_t, 16> familyGuid{};
  PageId firstAllocationUnitsPage;  // the first page of sysallocunits
  std::int64_t nextAllocationUnitId = 0;
};

// Nothing for a format before 611, whose record is laid out otherwise.
std::optional<BootPageFields> ReadBootPageFields(ByteView page, std::uint16_t formatVersion);

}  // namespace tessaril
