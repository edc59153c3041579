// Collation id to collation name and code page, read from "collation.txt"
// beside the program. A table loaded from a file reads and parses it on its
// first look-up, so a command that decodes no text never pays for it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaril {

struct CollationEntry {
  // Into the table's own copy of its text, which lives as long as the table
  // or any copy of it.
  std::string_view name;
  std::int32_t codePage = 0;
};

class CollationTable {
 public:
  // An empty table.
  CollationTable();

  // Reads lines of "name<TAB>id<TAB>code page". Lines without two tabs are
  // skipped; numbers read like strtol (leading blanks and a sign allowed,
  // reading stops at the first other character, no digits gives 0); a later
  // line with the same id replaces an earlier one.
  static CollationTable Parse(std::istream& in);
  static CollationTable ParseText(std::string_view text);
  // The file is read on first use; an unreadable or missing file gives an
  // empty table.
  static CollationTable Load(const std::filesystem::path& file);
  // "collation.txt" in the folder of the running program (or in
  // ../share/tessaril beside it), read on first use.
  static CollationTable LoadBesideProgram();

  const CollationEntry* Find(std::int64_t id) const;
  // The entry with the lowest id among those with this name (names are
  // compared exactly).
  std::optional<std::int64_t> FindByName(std::string_view name) const;
  // Every entry as (id, entry), in id order.
  const std::vector<std::pair<std::int64_t, CollationEntry>>& entries() const { return Entries(); }
  std::size_t size() const { return Entries().size(); }
  bool empty() const { return Entries().empty(); }

 private:
  using Sorted = std::vector<std::pair<std::int64_t, CollationEntry>>;  // by id
  struct Lazy;
  explicit CollationTable(std::shared_ptr<Lazy> lazy) : lazy_(std::move(lazy)) {}
  const Sorted& Entries() const;

  // Shared by copies; parsed at most once, whichever thread asks first.
  std::shared_ptr<Lazy> lazy_;
};

// The folder holding the running program's file.
std::filesystem::path ProgramFolder();

}  // namespace tessaril
