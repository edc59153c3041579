// The page inventory of a data file kept between runs, so that opening the
// same file again skips the pass over every page. An entry lives in the
// user's cache folder, never beside the data file, and is found by the
// file's path, size, modification time and a hash of its first pages: a file
// changed in any of these gets a new entry and the old one is never read.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "base/output_file.h"
#include "storage/page_inventory.h"
#include "storage/read_only_file.h"

namespace tessaril {

// $XDG_CACHE_HOME/tessaril/inventory, else $HOME/.cache/tessaril/inventory;
// nothing when neither variable names a folder.
std::optional<std::string> DefaultInventoryCacheFolder();

// What an entry is known by.
struct InventoryCacheKey {
  std::string path;  // the data file's absolute path
  std::uint64_t size = 0;
  std::int64_t modifiedNs = 0;
  std::uint64_t firstPagesHash = 0;
  std::uint64_t dataOffset = 0;

  // The entry's file name: a hash of the fields above.
  std::string FileName() const;
  friend bool operator==(const InventoryCacheKey&, const InventoryCacheKey&) = default;
};

// The key of an opened file; nothing when it cannot be told (no status).
std::optional<InventoryCacheKey> KeyOfFile(const std::string& path, const ReadOnlyFile& file,
                                           std::uint64_t dataOffset);

// What the mapping pass gives that a later open needs again.
struct CachedInventory {
  PageInventory inventory;
  std::array<std::uint64_t, 256> pageTypeCounts{};
};

// The entry in folder for key; nothing when there is none, or it is not
// whole or not for this key.
std::optional<CachedInventory> LoadCachedInventory(const std::string& folder,
                                                   const InventoryCacheKey& key);

// Writes the entry through an OutputFile (so never over a data file or
// one beside it), making the folder when needed.
Status StoreCachedInventory(const std::string& folder, const InventoryCacheKey& key,
                            const CachedInventory& cached, const ProtectedFiles& protectedFiles);

}  // namespace tessaril
