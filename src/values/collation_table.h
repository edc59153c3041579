// Collation id to collation name and code page, read from "collation.txt"
// beside the program.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tessaril {

struct CollationEntry {
  std::string name;
  std::int32_t codePage = 0;
};

class CollationTable {
 public:
  // Reads lines of "name<TAB>id<TAB>code page". Lines without two tabs are
  // skipped; numbers read like strtol (leading blanks and a sign allowed,
  // reading stops at the first other character, no digits gives 0); a later
  // line with the same id replaces an earlier one.
  static CollationTable Parse(std::istream& in);
  // An unreadable or missing file gives an empty table.
  static CollationTable Load(const std::filesystem::path& file);
  // "collation.txt" in the folder of the running program (the build tree),
  // else in share/tessaril beside that folder (an installed program:
  // PREFIX/bin/tessaril-cli reads PREFIX/share/tessaril/collation.txt).
  static CollationTable LoadBesideProgram();

  const CollationEntry* Find(std::int64_t id) const;
  // First entry with this name (names are compared exactly).
  std::optional<std::int64_t> FindByName(std::string_view name) const;
  const std::map<std::int64_t, CollationEntry>& entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }

 private:
  std::map<std::int64_t, CollationEntry> entries_;
};

// The folder holding the running program's file.
std::filesystem::path ProgramFolder();

}  // namespace tessaril
