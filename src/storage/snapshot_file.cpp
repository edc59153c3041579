#include "storage/snapshot_file.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "base/unicode.h"
#include "storage/read_only_file.h"

namespace tessaril {
namespace {

constexpr std::uint8_t kAutomaticCollationMode = 1;
constexpr std::size_t kEntryBytes = 10;
constexpr std::size_t kReadBlock = std::size_t{1} << 20;
// A Windows path holds at most 32,767 UTF-16 code units.
constexpr std::uint32_t kMaxPathBytes = 2 * 32767;

// Reads a snapshot front to back through a buffer. Past the end of the file
// every read gives zero and ok() turns false for good.
class SnapshotStream {
 public:
  explicit SnapshotStream(const ReadOnlyFile& file) : file_(file) {}

  bool ok() const { return ok_; }
  std::uint64_t remaining() const { return file_.size() - position_; }

  std::uint64_t Unsigned(std::size_t width) {
    std::uint8_t bytes[8] = {};
    if (!Fill(bytes, width)) return 0;
    std::uint64_t v = 0;
    for (std::size_t i = width; i-- > 0;) v = (v << 8) | bytes[i];
    return v;
  }
  std::uint8_t U8() { return static_cast<std::uint8_t>(Unsigned(1)); }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Unsigned(2)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Unsigned(4)); }
  std::uint64_t U64() { return Unsigned(8); }

  // n bytes, or as many as the file still holds.
  std::vector<std::uint8_t> Bytes(std::uint64_t n) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(std::min(n, remaining())));
    if (!Fill(out.data(), out.size()) || out.size() < n) ok_ = false;
    return out;
  }

 private:
  bool Fill(std::uint8_t* out, std::size_t n) {
    if (!ok_ || n > remaining()) {
      ok_ = false;
      return false;
    }
    for (std::size_t done = 0; done < n;) {
      if (at_ == buffer_.size()) {
        buffer_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kReadBlock, remaining())));
        const std::size_t got = file_.ReadAt(position_, buffer_);
        if (got == 0) {
          ok_ = false;
          return false;
        }
        buffer_.resize(got);
        at_ = 0;
      }
      const std::size_t take = std::min(n - done, buffer_.size() - at_);
      std::copy_n(buffer_.begin() + static_cast<std::ptrdiff_t>(at_), take, out + done);
      at_ += take;
      position_ += take;
      done += take;
    }
    return true;
  }

  const ReadOnlyFile& file_;
  std::uint64_t position_ = 0;  // of the next byte handed out
  std::vector<std::uint8_t> buffer_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

// The first thing a snapshot holds is a data file path and its option bytes;
// what else a file starts with is not a snapshot. Returns why not, or
// nothing for a header a snapshot writer could have written.
std::optional<std::string> HeaderFault(SnapshotStream& in) {
  const std::uint32_t pathBytes = in.U32();
  if (!in.ok()) return "it is shorter than a snapshot header";
  if (pathBytes % 2 != 0 || pathBytes > kMaxPathBytes || pathBytes > in.remaining()) {
    return "its first four bytes are no path length (" + std::to_string(pathBytes) + ")";
  }
  const std::vector<std::uint8_t> path = in.Bytes(pathBytes);
  for (std::size_t i = 0; i + 1 < path.size(); i += 2) {
    if (path[i] < 0x20 && path[i + 1] == 0) return "its path holds control characters";
  }
  const auto flag = [&](const char* name) -> std::optional<std::string> {
    const std::uint8_t value = in.U8();
    if (value > 1) return std::string("its ") + name + " byte is " + std::to_string(value);
    return std::nullopt;
  };
  if (auto fault = flag("advanced mode")) return fault;
  const std::uint8_t collationMode = in.U8();
  if (collationMode > 1) return "its collation mode byte is " + std::to_string(collationMode);
  if (collationMode != kAutomaticCollationMode) in.U64();
  for (const char* name : {"SQL Server 2000 layout", "deleted records", "carved records"}) {
    if (auto fault = flag(name)) return fault;
  }
  const std::uint64_t keys = in.U64();
  if (!in.ok()) return "it ends inside its header";
  if (keys > in.remaining() / 8) return "its first map counts more keys than it holds";
  return std::nullopt;
}

SnapshotSettings ReadSettings(SnapshotStream& in) {
  SnapshotSettings s;
  const std::uint32_t pathBytes = in.U32();
  const std::vector<std::uint8_t> path = in.Bytes(pathBytes);
  s.dataFilePath = Utf16LeToUtf8(ByteView(path.data(), path.size()));
  s.advancedMode = in.U8() != 0;
  s.automaticCollation = in.U8() == kAutomaticCollationMode;
  if (!s.automaticCollation) s.manualCollationId = in.U64();
  s.sql2000Layout = in.U8();
  s.showDeletedRecords = in.U8();
  s.showAdvancedDeletedRecords = in.U8();
  return s;
}

// A map block's lists by object id, in the order the map holds them; the
// object id of a unit is the one its pages carry in their headers. The
// entries themselves are not copied.
using Block = std::map<std::int32_t, std::vector<const PageList*>>;

template <typename Map, typename ObjectIdOf>
Block BlockOf(const Map& map, ObjectIdOf objectIdOf) {
  Block block;
  for (const auto& [key, list] : map) block[objectIdOf(key)].push_back(&list);
  return block;
}

class SnapshotWriter {
 public:
  explicit SnapshotWriter(std::FILE* file) : file_(file) {}
  bool ok() const { return ok_; }

  void Unsigned(std::uint64_t v, std::size_t width) {
    std::uint8_t bytes[8];
    for (std::size_t i = 0; i < width; ++i) bytes[i] = static_cast<std::uint8_t>(v >> (8 * i));
    Write(bytes, width);
  }
  void Write(const void* data, std::size_t n) {
    if (n > 0 && std::fwrite(data, 1, n, file_) != n) ok_ = false;
  }
  void WriteBlock(const Block& block) {
    Unsigned(block.size(), 8);
    for (const auto& [objectId, lists] : block) {
      std::size_t count = 0;
      for (const PageList* list : lists) count += list->size();
      Unsigned(static_cast<std::uint32_t>(objectId), 4);
      Unsigned(count, 4);
      for (const PageList* list : lists) {
        for (const PageEntry& e : *list) {
          Unsigned(e.fileId, 2);
          Unsigned(e.pageNumber, 4);
          Unsigned(e.pageType, 4);
        }
      }
    }
  }

 private:
  std::FILE* file_;
  bool ok_ = true;
};

// Reads one map block and hands each entry to file(objectId, entry).
template <typename FileEntry>
void ReadBlock(SnapshotStream& in, FileEntry file) {
  const std::uint64_t keys = in.U64();
  for (std::uint64_t k = 0; k < keys && in.ok(); ++k) {
    const auto objectId = static_cast<std::int32_t>(in.U32());
    const std::uint32_t count = in.U32();
    for (std::uint32_t i = 0; i < count && in.ok(); ++i) {
      PageEntry e;
      e.fileId = in.U16();
      e.pageNumber = in.U32();
      e.pageType = in.U32();
      if (in.ok()) file(objectId, e);
    }
  }
}

// True when no entry carries an index id: every page type fits its low byte.
bool NoIndexIds(const PageInventory& inventory) {
  const auto bare = [](const auto& map) {
    for (const auto& [key, list] : map) {
      for (const PageEntry& e : list) {
        if (e.indexId() != 0) return false;
      }
    }
    return true;
  };
  return bare(inventory.systemPages) && bare(inventory.dataPages) && bare(inventory.iamPages);
}

}  // namespace

bool WriteSnapshot(const std::string& path, const SnapshotSettings& settings,
                   const PageInventory& inventory) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "w+b"),
                                                       &std::fclose);
  if (!file) return false;
  SnapshotWriter out(file.get());
  const std::string pathBytes = Utf8ToUtf16LeBytes(settings.dataFilePath);
  out.Unsigned(pathBytes.size(), 4);
  out.Write(pathBytes.data(), pathBytes.size());
  out.Unsigned(settings.advancedMode ? 1 : 0, 1);
  out.Unsigned(settings.automaticCollation ? kAutomaticCollationMode : 0, 1);
  if (!settings.automaticCollation) out.Unsigned(settings.manualCollationId, 8);
  out.Unsigned(settings.sql2000Layout, 1);
  out.Unsigned(settings.showDeletedRecords, 1);
  out.Unsigned(settings.showAdvancedDeletedRecords, 1);
  const auto unitObject = [](std::uint64_t unit) {
    return static_cast<std::int32_t>(UnitObjectId(unit));
  };
  out.WriteBlock(BlockOf(inventory.systemPages, [](std::int32_t id) { return id; }));
  out.WriteBlock(BlockOf(inventory.dataPages, unitObject));
  out.WriteBlock(BlockOf(inventory.iamPages, unitObject));
  const bool written = out.ok() && std::fflush(file.get()) == 0;
  return std::fclose(file.release()) == 0 && written;
}

Status CheckSnapshotHeader(const std::string& path) {
  Result<ReadOnlyFile> file = ReadOnlyFile::Open(path);
  if (!file) return Error{kFileCannotOpenText, file.failure().detail};
  SnapshotStream in(*file);
  if (std::optional<std::string> fault = HeaderFault(in)) {
    return Error{kNotASnapshotText, *fault};
  }
  return {};
}

std::optional<SnapshotSettings> ReadSnapshotSettings(const std::string& path) {
  if (!CheckSnapshotHeader(path).ok()) return std::nullopt;
  Result<ReadOnlyFile> file = ReadOnlyFile::Open(path);
  if (!file) return std::nullopt;
  SnapshotStream in(*file);
  return ReadSettings(in);
}

bool ReadSnapshotMaps(const std::string& path, PageInventory& inventory) {
  Result<ReadOnlyFile> file = ReadOnlyFile::Open(path);
  if (!file) return false;
  SnapshotStream in(*file);
  ReadSettings(in);
  ReadBlock(in, [&](std::int32_t objectId, const PageEntry& e) {
    inventory.systemPages[objectId].push_back(e);
  });
  const auto unitOf = [](std::int32_t objectId, const PageEntry& e) {
    return AllocationUnitId(static_cast<std::uint32_t>(objectId), e.indexId());
  };
  ReadBlock(in, [&](std::int32_t objectId, const PageEntry& e) {
    inventory.dataPages[unitOf(objectId, e)].push_back(e);
  });
  ReadBlock(in, [&](std::int32_t objectId, const PageEntry& e) {
    inventory.iamPages[unitOf(objectId, e)].push_back(e);
  });
  inventory.keyedByObjectOnly = !inventory.dataPages.empty() && NoIndexIds(inventory);
  inventory.ShrinkToFit();
  return true;
}

}  // namespace tessaril
