// The opened primary data file with the secondary files found for it, its
// page inventory and the page readers every higher layer uses.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "base/progress.h"
#include "base/result.h"
#include "base/stop_flag.h"
#include "storage/file_header_page.h"
#include "storage/offset_check.h"
#include "storage/page_header.h"
#include "storage/page_id.h"
#include "storage/page_inventory.h"
#include "storage/read_only_file.h"

namespace tessaril {

inline constexpr const char* kInvalidFileText =
    "Whether File is not valid mdf file or file is highly corrupted...........";
// How the detail of kInvalidFileText begins when the bytes are no data file.
inline constexpr const char* kNotADataFileText = "not a SQL Server data file";

// One row of the database's file table, completed when its file is found.
struct SecondaryFile {
  std::uint32_t status = 0;
  std::uint16_t fileId = 0;  // 1 primary, 2 and up secondary
  std::string logicalName;
  std::string path;
  std::uint64_t fileSize = 0;
  std::uint64_t pageCount = 0;
  std::uint32_t dataOffset = 0;
};

// A page read with its header decoded (torn bits already put back).
struct HeaderedPage {
  CPage_Header header;
  std::vector<std::uint8_t> bytes;  // kPageSize bytes
};

// Whether opening reads every page into the inventory. Without it only the
// data offset is decided; enough to look at single pages of any file.
enum class InventoryMode { kMap, kSkip };

class DatabaseFile {
 public:
  // Opens the primary file, decides where its pages start and files every
  // page in the inventory. Fails with kFileCannotOpenText when the file cannot
  // be opened, and with kInvalidFileText when it is shorter than a page, when
  // no page of it has a page header (the detail then starts with
  // kNotADataFileText) or when no base system table page is found. A stop request ends the mapping
  // early; the request is cleared before this returns, whatever the outcome.
  // With a cache folder, the inventory is taken from the folder's entry for
  // this file when there is one (see inventory_cache.h), and an inventory
  // mapped to the end is stored there for the next open.
  static Result<std::unique_ptr<DatabaseFile>> Open(const std::string& path, bool advancedMode,
                                                    ProgressSink& progress, StopFlag& stop,
                                                    InventoryMode mode = InventoryMode::kMap,
                                                    const std::string& cacheFolder = {});

  // Opens the primary file as Open does, but takes the page inventory from a
  // snapshot file instead of reading every page. Fails with kInvalidFileText
  // when the snapshot holds no base system table page.
  static Result<std::unique_ptr<DatabaseFile>> OpenFromSnapshot(const std::string& path,
                                                                bool advancedMode,
                                                                const std::string& snapshotPath,
                                                                ProgressSink& progress,
                                                                StopFlag& stop);

  const std::string& path() const { return path_; }
  // True when the inventory came from a snapshot: secondary files are then
  // opened but not mapped again.
  bool inventoryFromSnapshot() const { return inventoryFromSnapshot_; }
  std::uint64_t fileSize() const { return fileSize_; }
  std::uint64_t pageCount() const { return pageCount_; }
  std::uint64_t dataOffset() const { return offsetCheck_.dataOffset; }
  std::uint64_t extentCount() const { return pageCount_ / 8; }
  const OffsetCheck& offsetCheck() const { return offsetCheck_; }
  bool advancedMode() const { return advancedMode_; }
  // True when a stop request ended the mapping of the primary file early.
  bool mappingStopped() const { return mappingStopped_; }

  // Page 0 of the primary file, when it decodes as a file header page.
  const std::optional<FileHeaderPage>& fileHeader() const { return fileHeader_; }
  // Pages the file header counts that the file does not hold: a file cut
  // short. 0 when it holds them all or its header cannot be read.
  std::uint64_t missingPageCount() const;

  const PageInventory& inventory() const { return inventory_; }
  // Pages of the primary file by header page type, counted while mapping.
  const std::array<std::uint64_t, 256>& pageTypeCounts() const { return pageTypeCounts_; }
  const std::map<std::uint16_t, SecondaryFile>& secondaryFiles() const { return secondaryFiles_; }

  // Page readers. Page 0 of a file, a page past its last whole page (the page
  // just after it, zero-padded, is still read), an unknown file id or a file
  // that could not be opened give nothing.
  bool ReadPageInto(PageId id, std::span<std::uint8_t, kPageSize> out) const;
  std::optional<std::vector<std::uint8_t>> ReadRawPage(PageId id) const;
  // As ReadPageInto, but page 0 (the file header page) is read too: for
  // checks that look at every page of a file as stored.
  bool ReadStoredPageInto(PageId id, std::span<std::uint8_t, kPageSize> out) const;
  // The header alone, read from the header's bytes (its torn-bit flags are
  // not looked at: ReadPage decides those).
  std::optional<CPage_Header> ReadPageHeader(PageId id) const;
  std::optional<HeaderedPage> ReadPage(PageId id) const;
  // Page 0 of a file, its file header page, which the readers above never
  // give: for looking at, not for following links to.
  std::optional<HeaderedPage> ReadFileHeaderPage(std::uint16_t fileId) const;
  // Whole pages of the file with this id; nothing for a file not opened.
  std::optional<std::uint64_t> PageCountOf(std::uint16_t fileId) const;
  // Where a text page really lies when the file is shifted: the difference
  // between the page number stored in the header at id and id's own number is
  // applied once more, the other way.
  PageId TextPageLocation(PageId id) const;

  // Fills in and maps the secondary files of the file table (rows of the
  // table with file id 8). Each row's file is looked for beside the primary
  // file under its recorded name, then under that name with the extension
  // .ndf, then among all files of the folder; a candidate is taken when its
  // pages carry the row's file id (or no file id at all) and its file header
  // page names no other database. A file found among all files of the folder
  // must carry the file id, and its header must name the primary file's
  // database (unless neither header can say). An empty table means the
  // folder is searched for *.ndf files instead, under the same rule of the
  // database; rows for the files found are appended. Where each file's pages
  // start is decided as for the primary file.
  void DiscoverSecondaryFiles(std::vector<SecondaryFile>& fileTable, ProgressSink& progress,
                              const StopFlag& stop);
  // Opens each row with a file id above 1 at its path and maps its pages
  // under that file id. Rows whose file cannot be opened are skipped.
  void MapSecondaryFilesFromTable(std::vector<SecondaryFile>& fileTable, ProgressSink& progress,
                                  const StopFlag& stop);
  // Searches the primary file's folder for *.ndf files (any case), maps each
  // and appends a row for each one whose data pages name a file id above 1.
  void MapSecondaryFilesBySearch(std::vector<SecondaryFile>& fileTable, ProgressSink& progress,
                                 const StopFlag& stop);

  // The folder of the primary file, ending in a separator ("" for the
  // current folder).
  std::string folder() const;

  // Where the file of a file-table row is, when it can be found.
  std::optional<std::string> FindSecondaryFile(const SecondaryFile& row,
                                               const std::set<std::string>& taken) const;

 private:
  DatabaseFile(ReadOnlyFile file, bool advancedMode);
  // Opens the file, checks its size and decides the data offset.
  static Result<std::unique_ptr<DatabaseFile>> OpenChecked(const std::string& path,
                                                           bool advancedMode,
                                                           ProgressSink& progress, StopFlag& stop);
  // The file of a page and where its pages start; pages before firstPage
  // give nothing.
  const ReadOnlyFile* FileFor(PageId id, std::uint64_t& dataOffset, std::int32_t firstPage) const;
  bool ReadInto(PageId id, std::span<std::uint8_t, kPageSize> out, std::int32_t firstPage) const;
  void AddSecondary(SecondaryFile row, ReadOnlyFile file);

  ReadOnlyFile file_;
  std::string path_;
  std::uint64_t fileSize_ = 0;
  std::uint64_t pageCount_ = 0;
  OffsetCheck offsetCheck_;
  std::optional<FileHeaderPage> fileHeader_;
  bool advancedMode_ = false;
  bool mappingStopped_ = false;
  bool inventoryFromSnapshot_ = false;
  PageInventory inventory_;
  std::array<std::uint64_t, 256> pageTypeCounts_{};
  std::map<std::uint16_t, SecondaryFile> secondaryFiles_;
  std::map<std::uint16_t, ReadOnlyFile> secondaryHandles_;
};

// Where a row of the file table is looked for: beside the primary file, under
// the recorded file name with its extension replaced by .ndf ("x.dat" is
// looked for as "x.ndf"). recordedPath is a Windows path as SQL Server wrote it.
std::string SecondaryFileCandidate(const std::string& primaryFolder,
                                   const std::string& recordedPath);

}  // namespace tessaril
