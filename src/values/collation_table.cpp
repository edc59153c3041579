#include "values/collation_table.h"

#include <cstdlib>
#include <fstream>

namespace tessaril {
namespace {

std::int64_t LeadingNumber(const std::string& text) {
  return std::strtoll(text.c_str(), nullptr, 10);
}

}  // namespace

CollationTable CollationTable::Parse(std::istream& in) {
  CollationTable table;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t firstTab = line.find('\t');
    if (firstTab == std::string::npos) continue;
    const std::size_t secondTab = line.find('\t', firstTab + 1);
    if (secondTab == std::string::npos) continue;
    const std::int64_t id = LeadingNumber(line.substr(firstTab + 1, secondTab - firstTab - 1));
    const auto codePage = static_cast<std::int32_t>(LeadingNumber(line.substr(secondTab + 1)));
    table.entries_[id] = CollationEntry{line.substr(0, firstTab), codePage};
  }
  return table;
}

CollationTable CollationTable::Load(const std::filesystem::path& file) {
  std::ifstream in(file);
  if (!in) return {};
  return Parse(in);
}

CollationTable CollationTable::LoadBesideProgram() {
  const std::filesystem::path folder = ProgramFolder();
  const std::filesystem::path beside = folder / "collation.txt";
  std::error_code ec;
  if (std::filesystem::exists(beside, ec)) return Load(beside);
  return Load(folder.parent_path() / "share" / "tessaril" / "collation.txt");
}

const CollationEntry* CollationTable::Find(std::int64_t id) const {
  const auto it = entries_.find(id);
  return it == entries_.end() ? nullptr : &it->second;
}

std::optional<std::int64_t> CollationTable::FindByName(std::string_view name) const {
  for (const auto& [id, entry] : entries_) {
    if (entry.name == name) return id;
  }
  return std::nullopt;
}

std::filesystem::path ProgramFolder() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::current_path(ec) : self.parent_path();
}

}  // namespace tessaril
