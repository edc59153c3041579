#include "cli/row_output.h"

#include <algorithm>

#include "base/unicode.h"
#include "values/large_value.h"

namespace tessaril::cli {
namespace {

std::string CsvField(const std::string& text, bool quoteEmpty) {
  if (!(quoteEmpty && text.empty()) && text.find_first_of(",\"\r\n") == std::string::npos) {
    return text;
  }
  std::string out = "\"";
  for (char ch : text) {
    if (ch == '"') out += '"';
    out += ch;
  }
  return out + "\"";
}

// TSV keeps one row a line: tabs, line breaks and backslashes are escaped.
std::string TsvField(const std::string& text) {
  std::string out;
  for (char ch : text) {
    if (ch == '\t')
      out += "\\t";
    else if (ch == '\n')
      out += "\\n";
    else if (ch == '\r')
      out += "\\r";
    else if (ch == '\\')
      out += "\\\\";
    else
      out += ch;
  }
  return out;
}

// Display width of UTF-8 text, one column a code point.
std::size_t Width(const std::string& text) {
  std::size_t n = 0;
  for (std::size_t pos = 0; pos < text.size(); ++n) NextUtf8(text, pos);
  return n;
}

constexpr std::size_t kShownCharacters = 64;

}  // namespace

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (char ch : text) {
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += ch;
    } else if (static_cast<unsigned char>(ch) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x",
                    static_cast<unsigned>(static_cast<unsigned char>(ch)));
      out += escaped;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

Cell ShortenedCell(Cell cell) {
  const std::size_t characters = Width(cell.text);
  if (characters <= kShownCharacters) return cell;
  std::size_t cut = 0;
  for (std::size_t n = 0; n < kShownCharacters; ++n) NextUtf8(cell.text, cut);
  cell.text = cell.text.substr(0, cut) + "...[" + std::to_string(characters) + " chars]";
  cell.fullLength = characters;
  return cell;
}

std::optional<RowFormat> ParseRowFormat(const std::string& name) {
  if (name == "text") return RowFormat::kText;
  if (name == "tsv") return RowFormat::kTsv;
  if (name == "csv") return RowFormat::kCsv;
  if (name == "json") return RowFormat::kJson;
  return std::nullopt;
}

RowWriter::RowWriter(std::ostream& out, RowFormat format, const std::vector<ColumnDef>& columns,
                     bool shortenLargeValues)
    : out_(out), format_(format) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].physicalOrdinal == kNoStorage || columns[i].name.empty()) continue;
    shown_.push_back(i);
    shortened_.push_back(shortenLargeValues && HoldsLargeValues(columns[i]));
    names_.push_back(columns[i].name);
  }
  if (format_ == RowFormat::kText) pending_.push_back(names_);
  if (format_ == RowFormat::kTsv || format_ == RowFormat::kCsv) WriteHeader();
}

std::vector<Cell> RowWriter::Cells(const RenderedRow& row) const {
  std::vector<Cell> cells;
  for (std::size_t k = 0; k < shown_.size(); ++k) {
    const std::size_t i = shown_[k];
    Cell cell = i < row.cells.size() ? row.cells[i] : Cell();
    if (shortened_[k] && !cell.null) cell = ShortenedCell(std::move(cell));
    cells.push_back(std::move(cell));
  }
  return cells;
}

void RowWriter::Write(const RenderedRow& row) {
  std::vector<Cell> cells = Cells(row);
  if (format_ == RowFormat::kText) {
    std::vector<std::string> texts;
    for (const Cell& cell : cells) texts.emplace_back(cell.Shown());
    pending_.push_back(std::move(texts));
    return;
  }
  WriteLine(cells);
}

void RowWriter::WriteHeader() {
  std::vector<Cell> cells;
  for (const std::string& name : names_) cells.push_back(Cell::Text(name));
  WriteLine(cells);
}

void RowWriter::WriteLine(const std::vector<Cell>& cells) {
  if (format_ == RowFormat::kJson) {
    out_ << '{';
    for (std::size_t i = 0; i < cells.size(); ++i) {
      out_ << (i ? "," : "") << JsonString(names_[i]) << ':'
           << (cells[i].null ? "null" : JsonString(cells[i].text));
    }
    out_ << "}\n";
    return;
  }
  const char separator = format_ == RowFormat::kCsv ? ',' : '\t';
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i) out_ << separator;
    // CSV: NULL is an empty field, the empty string a quoted one.
    if (format_ == RowFormat::kCsv) {
      out_ << (cells[i].null ? std::string() : CsvField(cells[i].text, true));
    } else {
      out_ << TsvField(std::string(cells[i].Shown()));
    }
  }
  out_ << (format_ == RowFormat::kCsv ? "\r\n" : "\n");
}

void RowWriter::Finish() {
  if (format_ != RowFormat::kText) return;
  std::vector<std::size_t> widths(names_.size(), 0);
  for (const auto& cells : pending_) {
    for (std::size_t i = 0; i < cells.size(); ++i)
      widths[i] = std::max(widths[i], Width(TsvField(cells[i])));
  }
  for (const auto& cells : pending_) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
      const std::string text = TsvField(cells[i]);
      out_ << text;
      if (i + 1 < cells.size()) out_ << std::string(widths[i] - Width(text) + 2, ' ');
    }
    out_ << '\n';
  }
  pending_.clear();
}

}  // namespace tessaril::cli
