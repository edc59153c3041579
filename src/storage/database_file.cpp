#include "storage/database_file.h"

#include <array>
#include <utility>

#include "storage/inventory_cache.h"
#include "storage/sequential_pages.h"
#include "storage/snapshot_file.h"

namespace tessaril {

DatabaseFile::DatabaseFile(ReadOnlyFile file, bool advancedMode)
    : file_(std::move(file)),
      path_(file_.path()),
      fileSize_(file_.size()),
      advancedMode_(advancedMode) {}

namespace {

// True when some page of the file, read at dataOffset, has a page header.
bool HoldsAPage(const ReadOnlyFile& file, std::uint64_t dataOffset, std::uint64_t pageCount) {
  for (SequentialPages pages(file, dataOffset, 0, pageCount - 1); !pages.done();) {
    const ByteView page = pages.Next();
    if (ReadsAsPage({page.data(), page.size()})) return true;
  }
  return false;
}

// Whatever happens, the stop request ends with the opening.
struct ClearStopAtEnd {
  StopFlag& stop;
  ~ClearStopAtEnd() { stop.Clear(); }
};

}  // namespace

Result<std::unique_ptr<DatabaseFile>> DatabaseFile::OpenChecked(const std::string& path,
                                                                bool advancedMode,
                                                                ProgressSink& progress,
                                                                StopFlag& stop) {
  Result<ReadOnlyFile> opened = ReadOnlyFile::Open(path);
  if (!opened) return Error{kFileCannotOpenText, opened.failure().detail};
  std::unique_ptr<DatabaseFile> db(new DatabaseFile(std::move(opened).value(), advancedMode));
  if (db->fileSize_ < kPageSize) {
    return Error{kInvalidFileText,
                 std::string(kNotADataFileText) + ": it is shorter than one page (8192 bytes)"};
  }
  db->pageCount_ = db->fileSize_ / kPageSize;
  db->offsetCheck_ = CheckDataOffset(db->file_, db->pageCount_, progress, stop);
  if (!HoldsAPage(db->file_, db->dataOffset(), db->pageCount_)) {
    return Error{kInvalidFileText, std::string(kNotADataFileText) + ": none of its " +
                                       std::to_string(db->pageCount_) + " pages has a page header"};
  }
  db->fileHeader_ = tessaril::ReadFileHeaderPage(db->file_, db->dataOffset());
  return db;
}

Result<std::unique_ptr<DatabaseFile>> DatabaseFile::Open(const std::string& path, bool advancedMode,
                                                         ProgressSink& progress, StopFlag& stop,
                                                         InventoryMode mode,
                                                         const std::string& cacheFolder) {
  ClearStopAtEnd clearStop{stop};
  Result<std::unique_ptr<DatabaseFile>> checked = OpenChecked(path, advancedMode, progress, stop);
  if (!checked || mode == InventoryMode::kSkip) return checked;
  std::unique_ptr<DatabaseFile> db = std::move(checked).value();

  progress.ProgressRange(0, db->pageCount_);
  progress.ProgressPos(0);
  progress.StatusText(kMappingText);
  const std::optional<InventoryCacheKey> key =
      cacheFolder.empty() ? std::nullopt : KeyOfFile(path, db->file_, db->dataOffset());
  if (key) {
    if (std::optional<CachedInventory> cached = LoadCachedInventory(cacheFolder, *key);
        cached && !cached->inventory.systemPages.empty()) {
      db->inventory_ = std::move(cached->inventory);
      db->pageTypeCounts_ = cached->pageTypeCounts;
      progress.ProgressPos(db->pageCount_);
      progress.StatusText(kMappingDoneText);
      return db;
    }
  }
  // Pages of the primary file are recorded under file id 1, whatever their
  // header says: the entry must lead a reader back to the file it came from.
  const PageInventory::Filing filing{PrimarySystemObjectIds(), true};
  const MappingResult mapped = MapFilePages(db->file_, db->dataOffset(), db->pageCount_, 1, filing,
                                            db->inventory_, progress, stop);
  db->mappingStopped_ = mapped.stopped;
  db->pageTypeCounts_ = mapped.pageTypeCounts;
  db->inventory_.ShrinkToFit();
  progress.StatusText(kMappingDoneText);
  if (mapped.systemPages == 0) {
    return Error{kInvalidFileText, "no page of a base system table was found"};
  }
  if (key && !mapped.stopped) {
    // A cache that cannot be written only costs the next open its time.
    ProtectedFiles protectedFiles;
    protectedFiles.AddDataFile(path);
    (void)StoreCachedInventory(cacheFolder, *key, {db->inventory_, db->pageTypeCounts_},
                               protectedFiles);
  }
  return db;
}

Result<std::unique_ptr<DatabaseFile>> DatabaseFile::OpenFromSnapshot(
    const std::string& path, bool advancedMode, const std::string& snapshotPath,
    ProgressSink& progress, StopFlag& stop) {
  ClearStopAtEnd clearStop{stop};
  Result<std::unique_ptr<DatabaseFile>> checked = OpenChecked(path, advancedMode, progress, stop);
  if (!checked) return checked;
  std::unique_ptr<DatabaseFile> db = std::move(checked).value();
  progress.StatusText(kLoadingSnapshotText);
  db->inventoryFromSnapshot_ = true;
  if (!ReadSnapshotMaps(snapshotPath, db->inventory_)) {
    return Error{kInvalidFileText, "the snapshot file could not be read: " + snapshotPath};
  }
  if (db->inventory_.systemPages.empty()) {
    return Error{kInvalidFileText, "the snapshot holds no page of a base system table"};
  }
  progress.StatusText(kSnapshotLoadedText);
  return db;
}

std::uint64_t DatabaseFile::missingPageCount() const {
  if (!fileHeader_ || fileHeader_->sizeInPages <= pageCount_) return 0;
  return fileHeader_->sizeInPages - pageCount_;
}

std::string DatabaseFile::folder() const {
  const std::size_t slash = path_.find_last_of('/');
  return slash == std::string::npos ? std::string() : path_.substr(0, slash + 1);
}

const ReadOnlyFile* DatabaseFile::FileFor(PageId id, std::uint64_t& dataOffset,
                                          std::int32_t firstPage) const {
  if (id.pageNumber < firstPage) return nullptr;
  const auto n = static_cast<std::uint64_t>(id.pageNumber);
  if (id.fileId == 1) {
    dataOffset = this->dataOffset();
    if (n > pageCount_ || n * kPageSize + dataOffset > fileSize_) return nullptr;
    return &file_;
  }
  const auto row = secondaryFiles_.find(id.fileId);
  const auto handle = secondaryHandles_.find(id.fileId);
  if (row == secondaryFiles_.end() || handle == secondaryHandles_.end() ||
      row->second.path.empty()) {
    return nullptr;
  }
  dataOffset = row->second.dataOffset;
  if (n > row->second.pageCount || n * kPageSize + dataOffset > row->second.fileSize) {
    return nullptr;
  }
  return &handle->second;
}

bool DatabaseFile::ReadInto(PageId id, std::span<std::uint8_t, kPageSize> out,
                            std::int32_t firstPage) const {
  std::uint64_t dataOffset = 0;
  const ReadOnlyFile* file = FileFor(id, dataOffset, firstPage);
  if (file == nullptr) return false;
  file->ReadAt(static_cast<std::uint64_t>(id.pageNumber) * kPageSize + dataOffset, out);
  return true;
}

bool DatabaseFile::ReadPageInto(PageId id, std::span<std::uint8_t, kPageSize> out) const {
  return ReadInto(id, out, 1);
}

bool DatabaseFile::ReadStoredPageInto(PageId id, std::span<std::uint8_t, kPageSize> out) const {
  return ReadInto(id, out, 0);
}

std::optional<std::vector<std::uint8_t>> DatabaseFile::ReadRawPage(PageId id) const {
  std::vector<std::uint8_t> bytes(kPageSize);
  if (!ReadPageInto(id, std::span<std::uint8_t, kPageSize>(bytes.data(), kPageSize))) {
    return std::nullopt;
  }
  return bytes;
}

// Only the header's bytes are read: a walk that follows links reads each
// page's header without its records. Torn bits lie in the sector ends, past
// the header, so the fields read the same as from the whole page.
std::optional<CPage_Header> DatabaseFile::ReadPageHeader(PageId id) const {
  std::uint64_t dataOffset = 0;
  const ReadOnlyFile* file = FileFor(id, dataOffset, 1);
  if (file == nullptr) return std::nullopt;
  std::array<std::uint8_t, kPageHeaderSize> bytes{};
  file->ReadAt(static_cast<std::uint64_t>(id.pageNumber) * kPageSize + dataOffset, bytes);
  return CPage_Header::Peek(bytes);
}

namespace {

HeaderedPage Headered(std::vector<std::uint8_t> bytes) {
  CPage_Header header(bytes);
  return HeaderedPage{header, std::move(bytes)};
}

}  // namespace

std::optional<HeaderedPage> DatabaseFile::ReadPage(PageId id) const {
  std::optional<std::vector<std::uint8_t>> bytes = ReadRawPage(id);
  if (!bytes) return std::nullopt;
  return Headered(std::move(*bytes));
}

std::optional<HeaderedPage> DatabaseFile::ReadFileHeaderPage(std::uint16_t fileId) const {
  std::uint64_t dataOffset = 0;
  const ReadOnlyFile* file = FileFor(PageId{fileId, 0}, dataOffset, 0);
  if (file == nullptr) return std::nullopt;
  std::vector<std::uint8_t> bytes(kPageSize);
  file->ReadAt(dataOffset, std::span<std::uint8_t, kPageSize>(bytes.data(), kPageSize));
  return Headered(std::move(bytes));
}

std::optional<std::uint64_t> DatabaseFile::PageCountOf(std::uint16_t fileId) const {
  if (fileId == 1) return pageCount_;
  const auto row = secondaryFiles_.find(fileId);
  if (row == secondaryFiles_.end() || secondaryHandles_.count(fileId) == 0) return std::nullopt;
  return row->second.pageCount;
}

PageId DatabaseFile::TextPageLocation(PageId id) const {
  const std::optional<CPage_Header> header = ReadPageHeader(id);
  if (!header) return id;
  const std::int64_t shift = static_cast<std::int64_t>(header->pageId.pageNumber) -
                             static_cast<std::int64_t>(id.pageNumber);
  const std::int64_t corrected = static_cast<std::int64_t>(id.pageNumber) - shift;
  if (corrected < INT32_MIN || corrected > INT32_MAX) return id;
  return {id.fileId, static_cast<std::int32_t>(corrected)};
}

void DatabaseFile::AddSecondary(SecondaryFile row, ReadOnlyFile file) {
  const std::uint16_t fileId = row.fileId;
  secondaryFiles_[fileId] = std::move(row);
  secondaryHandles_[fileId] = std::move(file);
}

}  // namespace tessaril
