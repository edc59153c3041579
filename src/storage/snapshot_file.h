// The snapshot file: the page inventory of a scan with the data file's path
// and the options that matter for reading it, so that a later scan of the
// same file can skip the page-by-page mapping pass.
//
// Layout, little-endian, no magic and no padding:
//   u32 path length in bytes, the path as UTF-16LE without terminator,
//   u8 advanced mode, u8 collation mode (1 automatic, 0 manual),
//   u64 manual collation id (only when the collation mode is 0),
//   u8 SQL Server 2000 layout, u8 show deleted, u8 show carved,
//   then three map blocks: system pages, data pages, IAM pages.
// A map block is a u64 key count, then per key in ascending object id order
// the object id (u32), an entry count (u32) and the entries, 10 bytes each:
// file id (u16), page number (u32), page type (u32). The page type's low
// byte is the header page type and its high 16 bits the header index id, so
// that allocation units sharing an object id stay apart.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/result.h"
#include "storage/page_inventory.h"
#include "storage/read_only_file.h"

namespace tessaril {

inline constexpr const char* kSnapshotExtension = "MDBVTR";
inline constexpr const char* kLoadingSnapshotText =
    "Loading snapshot...please wait ......................";
inline constexpr const char* kSnapshotLoadedText =
    "Load snapshot finished..processing tables ......................";

struct SnapshotSettings {
  std::string dataFilePath;  // UTF-8
  bool advancedMode = false;
  bool automaticCollation = true;
  std::uint64_t manualCollationId = 0;
  std::uint8_t sql2000Layout = 0;
  std::uint8_t showDeletedRecords = 0;
  std::uint8_t showAdvancedDeletedRecords = 0;

  friend bool operator==(const SnapshotSettings&, const SnapshotSettings&) = default;
};

// Creates (or replaces) the file and writes it whole. False when the file
// cannot be created or written.
bool WriteSnapshot(const std::string& path, const SnapshotSettings& settings,
                   const PageInventory& inventory);

inline constexpr const char* kNotASnapshotText = "not a snapshot file";

// Whether the file starts as a snapshot does: a path length that fits the
// file, a path without control characters, option bytes of 0 or 1 and a
// first map whose key count the file can hold. Fails with
// kFileCannotOpenText when it cannot be opened and with
// kNotASnapshotText, saying why, otherwise.
Status CheckSnapshotHeader(const std::string& path);

// The settings at the head of a snapshot; nothing when the file cannot be
// opened or does not start as a snapshot.
std::optional<SnapshotSettings> ReadSnapshotSettings(const std::string& path);

// Files the three maps of a snapshot into inventory. Reading ends at the end
// of the file whatever its counts say; the entries read until then stay.
// False when the file cannot be opened.
bool ReadSnapshotMaps(const std::string& path, PageInventory& inventory);

}  // namespace tessaril
