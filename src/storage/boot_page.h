// The boot page: the database information record at page 9 of the primary
// file, which names the on-disk format version, the database and its default
// collation.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/byte_view.h"
#include "storage/page_id.h"

namespace tessaril {

class DatabaseFile;

inline constexpr const char* kUnknownVersionName = "Unknown SQL Version";

// Format versions below this one (SQL Server 7.0) were written with 2 KB pages.
inline constexpr std::uint32_t kFirstEightKilobyteFormat = 515;
// The first format of SQL Server 2005, whose base tables and boot page are
// laid out as in every later release.
inline constexpr std::uint16_t kFirst2005FormatVersion = 611;

// The release that writes a format version: " SQL Server 2014" for 782 and so
// on. Names begin with one blank, because the log line is "Database
// version:" followed by the name. A version between two releases (a
// pre-release build, an upgrade stopped half-way) is named by the two and its
// number, " SQL Server 2014 to 2016 (format version 851)", one past the last
// known release as "... or later"; a version below the first release gives
// kUnknownVersionName, without the blank.
std::string VersionName(std::uint32_t formatVersion);

// The format versions of the known releases, oldest first.
std::vector<std::uint32_t> KnownFormatVersions();

class CBootPage {
 public:
  // Decodes the page bytes, torn bits already restored. Bytes the view does
  // not hold read as 0.
  explicit CBootPage(ByteView page);

  std::uint16_t formatVersion = 0;
  // UTF-8; often the path the file was attached from. Empty when the field is
  // blank or empty.
  std::string databaseName;
  // The default collation, as COLLATIONPROPERTY(name, 'CollationID') gives it.
  std::int32_t collationId = 0;

  std::string versionName() const { return VersionName(formatVersion); }
  // True for formats written with 2 KB pages (SQL Server 6.5 and before),
  // which this reader cannot decode: the caller reports the page size rather
  // than decode the file. A zero version (an empty page) names no release.
  bool unsupportedPageSize() const {
    return formatVersion != 0 && formatVersion < kFirstEightKilobyteFormat;
  }
};

// Where the boot page lies in the primary file. It belongs at position 9; a
// file whose pages are shifted against their stored numbers moves it by the
// difference the first page of object 7 (else of object 41) shows between its
// stored page number and its position. Nothing when that puts it at position
// 0 or at or past the page count.
std::optional<PageId> LocateBootPage(const DatabaseFile& db);

// Locates, reads and decodes the boot page; nothing when it cannot be located
// or read. The caller keeps what it needs (the database name labels the
// object tree).
std::optional<CBootPage> ReadBootPage(const DatabaseFile& db);

}  // namespace tessaril
