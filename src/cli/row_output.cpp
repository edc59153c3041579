#include "cli/row_output.h"

#include <algorithm>
#include <cstdio>

#include "base/display_width.h"
#include "base/unicode.h"
#include "values/large_value.h"

namespace tessaril::cli {
namespace {

// CSV quotes a field that holds a comma, a quote or a line break (and, for
// a value, the empty string, so that it differs from NULL), doubling quotes.
void AppendCsvField(std::string& out, std::string_view text, bool quoteEmpty) {
  if (!(quoteEmpty && text.empty()) && text.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += text;
    return;
  }
  out += '"';
  for (char ch : text) {
    if (ch == '"') out += '"';
    out += ch;
  }
  out += '"';
}

// TSV and the text format keep one row a line: a tab, a line feed and a
// carriage return are written \t, \n and \r. Everything else, a backslash
// too, is written as it is.
void AppendOneLineField(std::string& out, std::string_view text) {
  std::size_t plain = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (ch != '\t' && ch != '\n' && ch != '\r') continue;
    out.append(text.substr(plain, i - plain));
    out += ch == '\t' ? "\\t" : ch == '\n' ? "\\n" : "\\r";
    plain = i + 1;
  }
  out.append(text.substr(plain));
}

std::string OneLineField(std::string_view text) {
  std::string out;
  AppendOneLineField(out, text);
  return out;
}

void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
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
  out += '"';
}

// Rows are gathered in one buffer and written in blocks of about this size.
constexpr std::size_t kWriteBlock = std::size_t{1} << 16;

std::size_t CharacterCount(const std::string& text) {
  std::size_t n = 0;
  for (std::size_t pos = 0; pos < text.size(); ++n) NextUtf8(text, pos);
  return n;
}

constexpr std::size_t kShownCharacters = 64;

}  // namespace

std::string JsonString(std::string_view text) {
  std::string out;
  AppendJsonString(out, text);
  return out;
}

bool IsJsonNumber(const ColumnDef& column, std::string_view text) {
  const std::size_t first = !text.empty() && text[0] == '-' ? 1 : 0;
  if (first >= text.size() || text[first] < '0' || text[first] > '9') return false;
  // JSON has no leading zeros: "0" and "0.5" but never "01".
  if (text[first] == '0' && first + 1 < text.size() && text[first + 1] >= '0' &&
      text[first + 1] <= '9') {
    return false;
  }
  switch (column.typeCode) {
    case kTinyintCode:
    case kSmallintCode:
    case kIntCode:
    case kBitCode:
      return text.find_first_not_of("0123456789", first) == std::string_view::npos;
    case kBigintCode:
      // Up to 15 digits always fits 2^53; 16 digits only up to 9007199254740992.
      return text.find_first_not_of("0123456789", first) == std::string_view::npos &&
             (text.size() - first < 16 ||
              (text.size() - first == 16 && text.substr(first) <= "9007199254740992"));
    case kFloatCode:
    case kRealCode:
      return text.find_first_not_of("0123456789.-+eE", first) == std::string_view::npos;
    default:
      return false;
  }
}

Cell ShortenedCell(Cell cell) {
  const std::size_t characters = CharacterCount(cell.text);
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
                     RowWriterOptions options)
    : out_(out), format_(format), options_(options) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].physicalOrdinal == kNoStorage || columns[i].name.empty()) continue;
    shown_.push_back(i);
    columns_.push_back(columns[i]);
    names_.push_back(columns[i].name);
  }
  if (options_.provenance)
    names_.insert(names_.end(), std::begin(kProvenanceColumns), std::end(kProvenanceColumns));
  if (format_ == RowFormat::kText) pending_.push_back(names_);
  if (format_ == RowFormat::kTsv || format_ == RowFormat::kCsv) {
    for (std::size_t i = 0; i < names_.size(); ++i) AppendField(i, false, names_[i]);
    EndLine();
  }
}

RowWriter::~RowWriter() { Flush(); }

// The text format's cells, large values shortened when asked.
std::vector<Cell> RowWriter::Cells(const RenderedRow& row) const {
  std::vector<Cell> cells;
  for (std::size_t k = 0; k < shown_.size(); ++k) {
    const std::size_t i = shown_[k];
    Cell cell = i < row.cells.size() ? row.cells[i] : Cell();
    if (options_.shortenLargeValues && HoldsLargeValues(columns_[k]) && !cell.null) {
      cell = ShortenedCell(std::move(cell));
    }
    cells.push_back(std::move(cell));
  }
  if (options_.provenance) {
    cells.push_back(Cell::Text(RowOriginName(row.origin)));
    cells.push_back(Cell::Text(ToString(row.id.page)));
    cells.push_back(Cell::Text(std::to_string(row.id.slot)));
  }
  return cells;
}

void RowWriter::Write(const RenderedRow& row) {
  if (format_ == RowFormat::kText) {
    std::vector<std::string> texts;
    for (const Cell& cell : Cells(row)) texts.push_back(OneLineField(cell.Shown()));
    pending_.push_back(std::move(texts));
    return;
  }
  // The file formats write each value from the row's own cell, with no copy.
  const Cell absent;
  for (std::size_t k = 0; k < shown_.size(); ++k) {
    const std::size_t i = shown_[k];
    const Cell& cell = i < row.cells.size() ? row.cells[i] : absent;
    AppendField(k, cell.null, DataText(cell, columns_[k]));
  }
  if (options_.provenance) {
    const std::size_t first = shown_.size();
    AppendField(first, false, RowOriginName(row.origin));
    AppendField(first + 1, false, ToString(row.id.page));
    char slot[16];
    const int n = std::snprintf(slot, sizeof slot, "%d", static_cast<int>(row.id.slot));
    AppendField(first + 2, false, std::string_view(slot, n > 0 ? static_cast<std::size_t>(n) : 0));
  }
  EndLine();
}

void RowWriter::AppendField(std::size_t index, bool null, std::string_view text) {
  if (format_ == RowFormat::kJson) {
    buffer_ += index == 0 ? '{' : ',';
    AppendJsonString(buffer_, names_[index]);
    buffer_ += ':';
    if (null) {
      buffer_ += "null";
    } else if (index < columns_.size() ? IsJsonNumber(columns_[index], text)
                                       : names_[index] == "$slot") {
      buffer_ += text;
    } else {
      AppendJsonString(buffer_, text);
    }
    return;
  }
  if (index > 0) buffer_ += format_ == RowFormat::kCsv ? ',' : '\t';
  // CSV: NULL is an empty field, the empty string a quoted one.
  if (format_ == RowFormat::kCsv) {
    if (!null) AppendCsvField(buffer_, text, true);
  } else {
    AppendOneLineField(buffer_, null ? std::string_view(kNullText) : text);
  }
}

void RowWriter::EndLine() {
  if (format_ == RowFormat::kJson) buffer_ += names_.empty() ? "{}\n" : "}\n";
  if (format_ == RowFormat::kCsv) buffer_ += "\r\n";
  if (format_ == RowFormat::kTsv) buffer_ += '\n';
  if (buffer_.size() >= kWriteBlock) Flush();
}

void RowWriter::Flush() {
  if (buffer_.empty()) return;
  out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  buffer_.clear();
}

void RowWriter::Finish() {
  Flush();
  if (format_ != RowFormat::kText) return;
  // Columns are padded to the widest value as a terminal shows it: wide
  // (CJK) characters take two columns, combining marks none.
  std::vector<std::size_t> widths(names_.size(), 0);
  for (const auto& texts : pending_) {
    for (std::size_t i = 0; i < texts.size(); ++i)
      widths[i] = std::max(widths[i], DisplayWidth(texts[i]));
  }
  for (const auto& texts : pending_) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
      out_ << texts[i];
      if (i + 1 < texts.size()) out_ << std::string(widths[i] - DisplayWidth(texts[i]) + 2, ' ');
    }
    out_ << '\n';
  }
  pending_.clear();
}

}  // namespace tessaril::cli
