#include "storage/boot_page.h"

#include <array>
#include <span>
#include <string>

#include "base/unicode.h"
#include "storage/database_file.h"
#include "storage/page_header.h"

namespace tessaril {
namespace {

// Page offsets of the fields read. The record starts right after the page
// header; its own 4-byte header comes before the format version.
constexpr std::size_t kFormatVersionOffset = 100;
constexpr std::size_t kNameOffset = 148;
constexpr std::size_t kNameFieldBytes = 256;  // sysname: 128 UTF-16 code units
constexpr std::size_t kNameLengthOffset = 404;
constexpr std::size_t kCollationOffset = 488;

constexpr std::int32_t kBootPosition = 9;
// Base system tables whose first page shows how far a shifted file moved.
constexpr std::array<std::int32_t, 2> kShiftProbeObjects = {7, 41};

// The field is filled with 0x20 bytes before the name is written, so the
// padding reads as U+2020 code units; some files pad with U+0020 instead.
constexpr char16_t kBlank = u' ';
constexpr char16_t kBytePadding = u'\u2020';

// The name is bounded by the byte length stored after the field when that
// length is one a name can have; otherwise by the first U+0000 and the
// padding.
std::string DecodeDatabaseName(ByteView page) {
  const std::uint32_t storedLength = LoadU32(page, kNameLengthOffset);
  const bool lengthUsable =
      storedLength > 0 && storedLength <= kNameFieldBytes && storedLength % 2 == 0;
  const std::size_t units = (lengthUsable ? storedLength : kNameFieldBytes) / 2;

  std::u16string name;
  for (std::size_t i = 0; i < units; ++i) {
    const auto unit = static_cast<char16_t>(LoadU16(page, kNameOffset + 2 * i));
    if (unit == u'\0') break;
    name.push_back(unit);
  }
  while (!name.empty() &&
         (name.back() == kBlank || (!lengthUsable && name.back() == kBytePadding))) {
    name.pop_back();
  }
  return Utf16ToUtf8(name);
}

}  // namespace

namespace {

// The format versions releases write, in order; release names the range a
// version between two of them falls in.
struct Release {
  std::uint32_t formatVersion;
  const char* name;
  const char* release;
};

constexpr std::array<Release, 18> kReleases = {{
    {408, " SQL Server 6.5", "6.5"},
    {515, " SQL Server 7.0", "7.0"},
    {539, " SQL Server 2000", "2000"},
    {611, " SQL Server 2005", "2005"},
    {612, " SQL Server 2005 SP2+ with VarDecimal enabled", "2005"},
    {655, " SQL Server 2008", "2008"},
    {660, " SQL Server 2008 R2", "2008 R2"},
    {661, " SQL Server 2008 R2", "2008 R2"},
    {684, " SQL Server 2012 CTP1", "2012"},
    {706, " SQL Server 2012", "2012"},
    {782, " SQL Server 2014", "2014"},
    {852, " SQL Server 2016", "2016"},
    {868, " SQL Server 2017", "2017"},
    {869, " SQL Server 2017", "2017"},
    {904, " SQL Server 2019", "2019"},
    {957, " SQL Server 2022", "2022"},
    {958, " SQL Server 2022", "2022"},
    {998, " SQL Server 2025", "2025"},
}};

}  // namespace

std::string VersionName(std::uint32_t formatVersion) {
  if (formatVersion < kReleases.front().formatVersion) return kUnknownVersionName;
  const Release* before = &kReleases.front();
  for (const Release& r : kReleases) {
    if (r.formatVersion == formatVersion) return r.name;
    if (r.formatVersion > formatVersion) {
      // A pre-release build or an upgrade stopped between two releases.
      return std::string(" SQL Server ") + before->release + " to " + r.release +
             " (format version " + std::to_string(formatVersion) + ")";
    }
    before = &r;
  }
  return std::string(" SQL Server ") + before->release + " or later (format version " +
         std::to_string(formatVersion) + ")";
}

std::vector<std::uint32_t> KnownFormatVersions() {
  std::vector<std::uint32_t> versions;
  for (const Release& r : kReleases) versions.push_back(r.formatVersion);
  return versions;
}

CBootPage::CBootPage(ByteView page)
    : formatVersion(LoadU16(page, kFormatVersionOffset)),
      databaseName(DecodeDatabaseName(page)),
      collationId(static_cast<std::int32_t>(LoadU32(page, kCollationOffset))) {}

std::optional<PageId> LocateBootPage(const DatabaseFile& db) {
  std::int64_t shift = 0;
  const auto& systemPages = db.inventory().systemPages;
  for (const std::int32_t objectId : kShiftProbeObjects) {
    const auto found = systemPages.find(objectId);
    if (found == systemPages.end() || found->second.empty()) continue;
    const PageEntry& first = found->second.front();
    if (const std::optional<CPage_Header> header = db.ReadPageHeader(first.id())) {
      shift = static_cast<std::int64_t>(header->pageId.pageNumber) -
              static_cast<std::int64_t>(first.pageNumber);
    }
    break;
  }
  const std::int64_t position = kBootPosition - shift;
  if (position <= 0 || static_cast<std::uint64_t>(position) >= db.pageCount()) {
    return std::nullopt;
  }
  return PageId{1, static_cast<std::int32_t>(position)};
}

std::optional<CBootPage> ReadBootPage(const DatabaseFile& db) {
  const std::optional<PageId> location = LocateBootPage(db);
  if (!location) return std::nullopt;
  std::array<std::uint8_t, kPageSize> bytes{};
  if (!db.ReadPageInto(*location, bytes)) return std::nullopt;
  const CPage_Header header(bytes);  // puts the torn bits back
  return CBootPage(ByteView(bytes));
}

}  // namespace tessaril
