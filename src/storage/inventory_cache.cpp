#include "storage/inventory_cache.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "base/byte_view.h"

namespace tessaril {
namespace {

// "TSRLINV" and a layout version.
constexpr std::array<std::uint8_t, 8> kMagic = {'T', 'S', 'R', 'L', 'I', 'N', 'V', 3};
// The pages hashed into the key: the file header, allocation and boot pages
// all lie among them.
constexpr std::size_t kHashedPages = 16;
constexpr std::size_t kEntryBytes = 10;  // file id u16, page number u32, page type u32

std::uint64_t Fnv1a(const std::uint8_t* data, std::size_t size,
                    std::uint64_t hash = 0xcbf29ce484222325ull) {
  for (std::size_t i = 0; i < size; ++i) {
    hash ^= data[i];
    hash *= 0x100000001b3ull;
  }
  return hash;
}

// The hash of the file's first pages, eight bytes a step (the FNV-1a
// steps over words): it runs at every open, over 128 KB.
std::uint64_t HashOfPages(const std::vector<std::uint8_t>& bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  std::size_t at = 0;
  for (; at + sizeof hash <= bytes.size(); at += sizeof hash) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + at, sizeof word);
    hash ^= word;
    hash *= 0x100000001b3ull;
    hash ^= hash >> 29;
  }
  return Fnv1a(bytes.data() + at, bytes.size() - at, hash);
}

class Writer {
 public:
  void U8(std::uint8_t v) { bytes_.push_back(v); }
  void U16(std::uint16_t v) { Put(v, 2); }
  void U32(std::uint32_t v) { Put(v, 4); }
  void U64(std::uint64_t v) { Put(v, 8); }
  void Text(const std::string& text) {
    U32(static_cast<std::uint32_t>(text.size()));
    bytes_.insert(bytes_.end(), text.begin(), text.end());
  }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  void Put(std::uint64_t v, int width) {
    for (int i = 0; i < width; ++i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  std::vector<std::uint8_t> bytes_;
};

void WriteKey(Writer& w, const InventoryCacheKey& key) {
  w.Text(key.path);
  w.U64(key.size);
  w.U64(static_cast<std::uint64_t>(key.modifiedNs));
  w.U64(key.firstPagesHash);
  w.U64(key.dataOffset);
}

template <class Key>
void WriteMap(Writer& w, const std::map<Key, PageList>& map) {
  w.U64(map.size());
  for (const auto& [key, list] : map) {
    w.U64(static_cast<std::uint64_t>(key));
    w.U64(list.size());
    for (const PageEntry& e : list) {
      w.U16(e.fileId);
      w.U32(e.pageNumber);
      w.U32(e.pageType);
    }
  }
}

// Reads a map block; false when the counts do not fit what is left.
template <class Key>
bool ReadMap(ByteCursor& c, std::map<Key, PageList>& map) {
  const std::uint64_t keys = c.U64();
  if (!c.ok() || keys > c.remaining() / 16) return false;
  for (std::uint64_t k = 0; k < keys; ++k) {
    const auto key = static_cast<Key>(c.U64());
    const std::uint64_t count = c.U64();
    if (!c.ok() || count > c.remaining() / kEntryBytes) return false;
    PageList& list = map[key];
    list.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
      PageEntry e;
      e.fileId = c.U16();
      e.pageNumber = c.U32();
      e.pageType = c.U32();
      list.push_back(e);
    }
  }
  return c.ok();
}

constexpr std::size_t kPageIdBytes = 6;  // file id u16, page number u32

void WritePageIds(Writer& w, const std::vector<PageId>& ids) {
  w.U64(ids.size());
  for (const PageId& id : ids) {
    w.U16(id.fileId);
    w.U32(static_cast<std::uint32_t>(id.pageNumber));
  }
}

bool ReadPageIds(ByteCursor& c, std::vector<PageId>& ids) {
  const std::uint64_t count = c.U64();
  if (!c.ok() || count > c.remaining() / kPageIdBytes) return false;
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint16_t file = c.U16();
    ids.push_back({file, static_cast<std::int32_t>(c.U32())});
  }
  return c.ok();
}

std::vector<std::uint8_t> ReadWhole(const std::string& path) {
  Result<ReadOnlyFile> file = ReadOnlyFile::Open(path);
  if (!file) return {};
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file->size()));
  bytes.resize(file->ReadAt(0, bytes));
  return bytes;
}

}  // namespace

std::optional<std::string> DefaultInventoryCacheFolder() {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg != nullptr && *xdg == '/') return std::string(xdg) + "/tessaril/inventory";
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home == '/') return std::string(home) + "/.cache/tessaril/inventory";
  return std::nullopt;
}

std::string InventoryCacheKey::FileName() const {
  Writer w;
  WriteKey(w, *this);
  const std::uint64_t a = Fnv1a(w.bytes().data(), w.bytes().size());
  const std::uint64_t b = Fnv1a(w.bytes().data(), w.bytes().size(), a ^ 0x9e3779b97f4a7c15ull);
  char name[48];
  std::snprintf(name, sizeof name, "%016llx%016llx.inventory", static_cast<unsigned long long>(a),
                static_cast<unsigned long long>(b));
  return name;
}

std::optional<InventoryCacheKey> KeyOfFile(const std::string& path, const ReadOnlyFile& file,
                                           std::uint64_t dataOffset) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  if (ec) return std::nullopt;
  InventoryCacheKey key;
  key.path = absolute.lexically_normal().string();
  key.size = file.size();
  key.modifiedNs = static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 +
                   static_cast<std::int64_t>(status.st_mtim.tv_nsec);
  std::vector<std::uint8_t> head(kHashedPages * kPageSize);
  head.resize(file.ReadAt(0, head));
  key.firstPagesHash = HashOfPages(head);
  key.dataOffset = dataOffset;
  return key;
}

std::optional<CachedInventory> LoadCachedInventory(const std::string& folder,
                                                   const InventoryCacheKey& key) {
  const std::vector<std::uint8_t> bytes = ReadWhole(folder + "/" + key.FileName());
  if (bytes.size() < kMagic.size()) return std::nullopt;
  ByteCursor c{ByteView(bytes.data(), bytes.size())};
  const ByteView magic = c.Bytes(kMagic.size());
  if (!std::equal(kMagic.begin(), kMagic.end(), magic.data())) return std::nullopt;
  InventoryCacheKey stored;
  const std::uint32_t pathLength = c.U32();
  if (!c.ok() || pathLength > c.remaining()) return std::nullopt;
  const ByteView path = c.Bytes(pathLength);
  stored.path.assign(path.data(), path.data() + path.size());
  stored.size = c.U64();
  stored.modifiedNs = static_cast<std::int64_t>(c.U64());
  stored.firstPagesHash = c.U64();
  stored.dataOffset = c.U64();
  if (!c.ok() || !(stored == key)) return std::nullopt;
  CachedInventory cached;
  for (std::uint64_t& count : cached.pageTypeCounts) count = c.U64();
  if (!ReadMap(c, cached.inventory.systemPages) || !ReadMap(c, cached.inventory.dataPages) ||
      !ReadMap(c, cached.inventory.iamPages) ||
      !ReadPageIds(c, cached.inventory.protectionFailures) || c.remaining() != 0) {
    return std::nullopt;
  }
  return cached;
}

Status StoreCachedInventory(const std::string& folder, const InventoryCacheKey& key,
                            const CachedInventory& cached, const ProtectedFiles& protectedFiles) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) return Error{"cannot make the cache folder " + folder, ec.message()};
  Writer w;
  for (const std::uint8_t b : kMagic) w.U8(b);
  WriteKey(w, key);
  for (const std::uint64_t count : cached.pageTypeCounts) w.U64(count);
  WriteMap(w, cached.inventory.systemPages);
  WriteMap(w, cached.inventory.dataPages);
  WriteMap(w, cached.inventory.iamPages);
  WritePageIds(w, cached.inventory.protectionFailures);
  return WriteOutputFile(folder + "/" + key.FileName(), protectedFiles, w.bytes().data(),
                         w.bytes().size());
}

}  // namespace tessaril
