// The choices made before a scan: the data file, the recovery mode, how
// deleted records are shown, the folder of the scan log and the collation.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/result.h"

namespace tessaril {

inline constexpr const char* kInvalidDataPathText =
    "Please select valid SQL file path to continue the recovery process.";
inline constexpr const char* kInvalidLogPathText =
    "Please select valid Log file path to continue the recovery process.";
inline constexpr const char* kInvalidMdfFileText = "Please select valid mdf file.";
inline constexpr const char* kInvalidSchemaPathText =
    "Please select a valid schema file (another copy of the database or a .sql script), or "
    "leave it empty.";

inline constexpr std::uint32_t kStandardMode = 1;
inline constexpr std::uint32_t kAdvancedMode = 2;
inline constexpr std::uint8_t kAutomaticCollation = 1;
inline constexpr std::uint8_t kManualCollation = 0;

struct ScanOptions {
  std::string dataFilePath;
  std::string logFolder;           // always ends in '/'
  std::uint32_t recoveryMode = 0;  // kStandardMode or kAdvancedMode once confirmed
  std::uint8_t isSql2000 = 0;
  std::uint8_t showDeletedRecords = 0;
  std::uint8_t showAdvancedDeletedRecords = 0;
  std::uint8_t collationMode = kAutomaticCollation;
  std::uint64_t manualCollationId = 0;
  // Another copy of the database or its schema script, for tables whose
  // catalog rows are lost; empty: none.
  std::string schemaFrom;
};

// What the options dialog holds when it is confirmed. The collation choice is
// not here: it is stored in ScanOptions as soon as the user makes it.
struct ScanOptionsEntry {
  std::string dataFilePath;
  std::string logFolder;
  std::optional<int> recoveryModeIndex;  // 0 Standard, 1 Advanced, none selected
  bool isSql2000 = false;
  bool showDeletedRecords = false;
  bool showAdvancedDeletedRecords = false;
  std::string schemaFrom;  // empty: none
};

// The data file check: the path contains ".MDF" (any case) and names a file.
Status CheckDataFilePath(const std::string& path);
// The log folder check: the path names an existing folder.
Status CheckLogFolder(const std::string& folder);

// The checks of OK, in order: a data file path containing ".MDF" (any case)
// at which a file exists, then an existing log folder, then a schema file
// that exists when one is named. On success the entry
// is stored in options (the folder with a trailing '/'); on failure options
// are left as they were and the message says which path is wrong.
Status ConfirmScanOptions(const ScanOptionsEntry& entry, ScanOptions& options);

// The user's desktop folder ($XDG_DESKTOP_DIR, else ~/Desktop), created when
// missing, with a trailing '/'. Empty when it cannot be made.
std::string DesktopFolder();

// The folder of the scan log of a snapshot scan: the log folder the last
// Open chose, else the desktop folder (the program's own folder is not
// writable once it is installed).
std::string SnapshotLogFolder(const ScanOptions& options);

}  // namespace tessaril
