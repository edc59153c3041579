// Finding and mapping the secondary (.ndf) files of a database.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <set>

#include "storage/database_file.h"
#include "storage/sequential_pages.h"

namespace tessaril {
namespace {

namespace fs = std::filesystem;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool HasNdfExtension(const std::string& name) {
  return name.size() >= 4 &&
         EqualsIgnoringCase(std::string_view(name).substr(name.size() - 4), ".ndf");
}

fs::path FolderPath(const std::string& folder) {
  return folder.empty() ? fs::path(".") : fs::path(folder);
}

// The files of a folder, sorted by name so that every run maps them in the same order.
std::vector<fs::path> RegularFilesIn(const std::string& folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::directory_iterator it(FolderPath(folder), ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (it->is_regular_file(typeError)) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Data files travel between Windows and Linux: a name recorded as SALES_2.NDF
// is found as sales_2.ndf when only the case differs.
std::string ExistingPath(const std::string& path) {
  std::error_code ec;
  if (fs::exists(path, ec)) return path;
  const fs::path wanted(path);
  const std::string parent = wanted.has_parent_path() ? wanted.parent_path().string() + "/" : "";
  for (const fs::path& candidate : RegularFilesIn(parent)) {
    if (EqualsIgnoringCase(candidate.filename().string(), wanted.filename().string())) {
      return candidate.string();
    }
  }
  return path;
}

constexpr std::uint64_t kSampledPages = 32;

enum class FileIdMatch { kMatches, kOther, kUnknown };

// Where the pages of a secondary file start: its size remainder, or 0 when
// the file was padded or cut and its pages carry their numbers there.
std::uint64_t CheckedDataOffset(const ReadOnlyFile& file, ProgressSink& progress,
                                const StopFlag& stop) {
  return CheckDataOffset(file, file.size() / kPageSize, progress, stop).dataOffset;
}

// How a file found for a row fits the database: whether its first pages name
// the row's file id in their headers (page 0, the file header page, names
// the file's own id; a file whose pages name no file id at all cannot be told
// apart), and whether its file header page names the same database.
struct CandidateFit {
  FileIdMatch fileId = FileIdMatch::kOther;
  SameDatabase database = SameDatabase::kUnknown;
};

CandidateFit FitOf(const std::string& path, std::uint16_t fileId,
                   const std::optional<FileHeaderPage>& primary) {
  CandidateFit fit;
  Result<ReadOnlyFile> file = ReadOnlyFile::Open(path);
  if (!file || file->size() < kPageSize) return fit;
  NullProgress progress;
  StopFlag stop;
  const std::uint64_t dataOffset = CheckedDataOffset(*file, progress, stop);
  fit.database = CompareBinding(primary, ReadFileHeaderPage(*file, dataOffset));
  const std::uint64_t pages = std::min<std::uint64_t>(file->size() / kPageSize, kSampledPages);
  SequentialPages reader(*file, dataOffset, 0, pages - 1);
  fit.fileId = FileIdMatch::kUnknown;
  while (!reader.done()) {
    const InventoryHeader h = ReadInventoryHeader(reader.Next());
    if (h.fileId == 0 || (h.pageType == 0 && h.objectId == 0)) continue;
    if (h.fileId == fileId) {
      fit.fileId = FileIdMatch::kMatches;
      break;
    }
    fit.fileId = FileIdMatch::kOther;
  }
  return fit;
}

// A file found by searching the folder is taken only when its header names
// the primary file's database; when the primary file's own header cannot say,
// a file whose header cannot say either is not refused.
bool SearchedFileFits(SameDatabase database, const std::optional<FileHeaderPage>& primary) {
  const bool primaryKnown = primary && primary->HasBindingId();
  return database == SameDatabase::kYes || (database == SameDatabase::kUnknown && !primaryKnown);
}

// Fills in where a file is, its size, its page count and where its pages start.
void DescribeFile(const ReadOnlyFile& file, SecondaryFile& row, ProgressSink& progress,
                  const StopFlag& stop) {
  row.path = file.path();
  row.fileSize = file.size();
  row.pageCount = row.fileSize / kPageSize;
  row.dataOffset = static_cast<std::uint32_t>(CheckedDataOffset(file, progress, stop));
}

// The file id the first data page of a user table names, read front to back
// until one is met; 0 when none is.
std::uint16_t FirstSecondaryFileId(const ReadOnlyFile& file, std::uint64_t dataOffset,
                                   std::uint64_t pageCount, const StopFlag& stop) {
  SequentialPages reader(file, dataOffset, 0, pageCount);
  while (!reader.done() && !stop.requested()) {
    const InventoryHeader h = ReadInventoryHeader(reader.Next());
    if (NamesSecondaryFile(h)) return h.fileId;
  }
  return 0;
}

}  // namespace

std::optional<std::string> DatabaseFile::FindSecondaryFile(
    const SecondaryFile& row, const std::set<std::string>& taken) const {
  const std::size_t slash = row.path.find_last_of("\\/");
  const std::string name = slash == std::string::npos ? row.path : row.path.substr(slash + 1);
  // The recorded name as it is, then with the .ndf extension, beside the primary file.
  for (const std::string& candidate :
       {folder() + name, SecondaryFileCandidate(folder(), row.path)}) {
    if (name.empty()) break;
    const std::string path = ExistingPath(candidate);
    if (taken.count(path) != 0) continue;
    // A file that cannot be opened never matches; one of another database neither.
    const CandidateFit fit = FitOf(path, row.fileId, fileHeader_);
    if (fit.fileId != FileIdMatch::kOther && fit.database != SameDatabase::kNo) return path;
  }
  // Any file of the folder whose pages carry the file id.
  std::error_code ec;
  for (const fs::path& candidate : RegularFilesIn(folder())) {
    const std::string path = candidate.string();
    if (taken.count(path) != 0 || fs::equivalent(candidate, path_, ec)) continue;
    const CandidateFit fit = FitOf(path, row.fileId, fileHeader_);
    if (fit.fileId == FileIdMatch::kMatches && SearchedFileFits(fit.database, fileHeader_)) {
      return path;
    }
  }
  return std::nullopt;
}

std::string SecondaryFileCandidate(const std::string& primaryFolder,
                                   const std::string& recordedPath) {
  const std::size_t slash = recordedPath.find_last_of("\\/");
  const std::string name =
      slash == std::string::npos ? recordedPath : recordedPath.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  const std::string title = dot == std::string::npos ? std::string() : name.substr(0, dot);
  return primaryFolder + (title.empty() ? name : title + ".ndf");
}

void DatabaseFile::DiscoverSecondaryFiles(std::vector<SecondaryFile>& fileTable,
                                          ProgressSink& progress, const StopFlag& stop) {
  if (fileTable.empty()) {
    MapSecondaryFilesBySearch(fileTable, progress, stop);
  } else {
    // Rows whose file is not found keep the path it was looked for under.
    std::set<std::string> taken;
    std::vector<SecondaryFile> found;
    for (SecondaryFile& row : fileTable) {
      if (row.fileId <= 1) continue;
      const std::optional<std::string> path = FindSecondaryFile(row, taken);
      row.path = path ? *path : SecondaryFileCandidate(folder(), row.path);
      if (!path) continue;
      taken.insert(*path);
      found.push_back(row);
    }
    MapSecondaryFilesFromTable(found, progress, stop);
    for (SecondaryFile& row : fileTable) {
      const auto mapped = secondaryFiles_.find(row.fileId);
      if (mapped != secondaryFiles_.end() && row.fileId > 1) row = mapped->second;
    }
  }
  inventory_.ShrinkToFit();
}

void DatabaseFile::MapSecondaryFilesFromTable(std::vector<SecondaryFile>& fileTable,
                                              ProgressSink& progress, const StopFlag& stop) {
  const PageInventory::Filing filing{SecondarySystemObjectIds(), false};
  for (SecondaryFile& row : fileTable) {
    if (row.fileId <= 1 || stop.requested()) continue;
    Result<ReadOnlyFile> file = ReadOnlyFile::Open(ExistingPath(row.path));
    if (!file) continue;
    DescribeFile(*file, row, progress, stop);
    if (!inventoryFromSnapshot_) {
      progress.ProgressRange(0, row.pageCount);
      progress.ProgressPos(0);
      MapFilePages(*file, row.dataOffset, row.pageCount, row.fileId, filing, inventory_, progress,
                   stop);
    }
    AddSecondary(row, std::move(file).value());
  }
}

void DatabaseFile::MapSecondaryFilesBySearch(std::vector<SecondaryFile>& fileTable,
                                             ProgressSink& progress, const StopFlag& stop) {
  fileTable.clear();
  const PageInventory::Filing filing{SecondarySystemObjectIds(), false};
  std::error_code ec;
  for (const fs::path& candidate : RegularFilesIn(folder())) {
    if (stop.requested()) break;
    if (!HasNdfExtension(candidate.filename().string()) || fs::equivalent(candidate, path_, ec)) {
      continue;
    }
    Result<ReadOnlyFile> file = ReadOnlyFile::Open(candidate.string());
    if (!file) continue;
    SecondaryFile row;
    DescribeFile(*file, row, progress, stop);
    if (!SearchedFileFits(CompareBinding(fileHeader_, tessaril::ReadFileHeaderPage(*file, row.dataOffset)),
                          fileHeader_)) {
      continue;
    }
    // With an inventory from a snapshot the file's pages are read only as
    // far as needed to learn its file id.
    std::uint16_t fileId = 0;
    if (inventoryFromSnapshot_) {
      fileId = FirstSecondaryFileId(*file, row.dataOffset, row.pageCount, stop);
    } else {
      progress.ProgressRange(0, row.pageCount);
      progress.ProgressPos(0);
      fileId =
          MapFilePages(*file, row.dataOffset, row.pageCount, 0, filing, inventory_, progress, stop)
              .firstSecondaryFileId;
    }
    if (fileId == 0 || secondaryFiles_.count(fileId)) continue;
    row.fileId = fileId;
    fileTable.push_back(row);
    AddSecondary(std::move(row), std::move(file).value());
  }
}

}  // namespace tessaril
