#include "values/collation_table.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>

namespace tessaril {

struct CollationTable::Lazy {
  std::function<std::string()> readText;  // empty once read
  std::once_flag parsed;
  std::string text;  // what the entries' names look into
  Sorted entries;
  // Parses the text into the entries.
  void ParseKeptText();
};

namespace {

// strtol's reading: blanks, a sign, then digits up to the first other
// character; no digits gives 0.
std::int64_t LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value > (INT64_MAX - 9) / 10) break;  // far past any collation id
    value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

// Ids in order; of lines with one id the last one read. The order is found
// on (id, line) pairs, so that no name is moved more than once.
void SortKeepingLast(std::vector<std::pair<std::int64_t, CollationEntry>>& entries) {
  std::vector<std::pair<std::int64_t, std::size_t>> order;
  order.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) order.emplace_back(entries[i].first, i);
  std::sort(order.begin(), order.end());
  std::vector<std::pair<std::int64_t, CollationEntry>> kept;
  kept.reserve(entries.size());
  for (std::size_t k = 0; k < order.size(); ++k) {
    if (k + 1 < order.size() && order[k + 1].first == order[k].first) continue;
    kept.push_back(std::move(entries[order[k].second]));
  }
  entries = std::move(kept);
}

std::string ReadWholeFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(file, ec);
  if (!in || ec) return {};
  std::string text(static_cast<std::size_t>(size), '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return text;
}

}  // namespace

CollationTable::CollationTable() : lazy_(std::make_shared<Lazy>()) {}

void CollationTable::Lazy::ParseKeptText() {
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t firstTab = line.find('\t');
    if (firstTab == std::string_view::npos) continue;
    const std::size_t secondTab = line.find('\t', firstTab + 1);
    if (secondTab == std::string_view::npos) continue;
    const std::int64_t id = LeadingNumber(line.substr(firstTab + 1, secondTab - firstTab - 1));
    const auto codePage = static_cast<std::int32_t>(LeadingNumber(line.substr(secondTab + 1)));
    entries.emplace_back(id, CollationEntry{line.substr(0, firstTab), codePage});
  }
  SortKeepingLast(entries);
}

CollationTable CollationTable::ParseText(std::string_view text) {
  auto lazy = std::make_shared<Lazy>();
  lazy->text = std::string(text);
  lazy->ParseKeptText();
  return CollationTable(std::move(lazy));
}

CollationTable CollationTable::Parse(std::istream& in) {
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return ParseText(text);
}

CollationTable CollationTable::Load(const std::filesystem::path& file) {
  auto lazy = std::make_shared<Lazy>();
  lazy->readText = [file] { return ReadWholeFile(file); };
  return CollationTable(std::move(lazy));
}

CollationTable CollationTable::LoadBesideProgram() {
  auto lazy = std::make_shared<Lazy>();
  lazy->readText = [] {
    const std::filesystem::path folder = ProgramFolder();
    const std::filesystem::path beside = folder / "collation.txt";
    std::error_code ec;
    if (std::filesystem::exists(beside, ec)) return ReadWholeFile(beside);
    return ReadWholeFile(folder.parent_path() / "share" / "tessaril" / "collation.txt");
  };
  return CollationTable(std::move(lazy));
}

const CollationTable::Sorted& CollationTable::Entries() const {
  Lazy& lazy = *lazy_;
  std::call_once(lazy.parsed, [&lazy] {
    if (!lazy.readText) return;
    lazy.text = lazy.readText();
    lazy.readText = nullptr;
    lazy.ParseKeptText();
  });
  return lazy.entries;
}

const CollationEntry* CollationTable::Find(std::int64_t id) const {
  const Sorted& entries = Entries();
  const auto it =
      std::lower_bound(entries.begin(), entries.end(), id,
                       [](const auto& entry, std::int64_t key) { return entry.first < key; });
  return it == entries.end() || it->first != id ? nullptr : &it->second;
}

std::optional<std::int64_t> CollationTable::FindByName(std::string_view name) const {
  for (const auto& [id, entry] : Entries()) {
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
