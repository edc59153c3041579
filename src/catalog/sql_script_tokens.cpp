#include "catalog/sql_script_tokens.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <span>

#include "base/code_page.h"
#include "base/unicode.h"

namespace tessaril::sql {

namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool IsWordStart(char c) {
  const auto u = static_cast<unsigned char>(c);
  return std::isalpha(u) != 0 || c == '_' || c == '@' || c == '#' || u >= 0x80;
}
bool IsWordChar(char c) { return IsWordStart(c) || IsDigit(c) || c == '$'; }

// Reads up to the closing delimiter, where a doubled one stands for itself.
// pos is just past the opening one; an unterminated run takes the rest.
std::size_t ReadDelimited(std::string_view s, std::size_t pos, char close, std::string& out) {
  while (pos < s.size()) {
    if (s[pos] == close) {
      if (pos + 1 >= s.size() || s[pos + 1] != close) return pos + 1;
      ++pos;
    }
    out += s[pos++];
  }
  return pos;
}

// $12.50, 0x1F2E, 3.5e2: the script writes money, binary and float this way.
std::size_t ReadNumber(std::string_view s, std::size_t pos) {
  if (s[pos] == '$') ++pos;
  if (s.substr(pos, 2) == "0x" || s.substr(pos, 2) == "0X") {
    pos += 2;
    while (pos < s.size() && std::isxdigit(static_cast<unsigned char>(s[pos])) != 0) ++pos;
    return pos;
  }
  while (pos < s.size() && (IsDigit(s[pos]) || s[pos] == '.')) ++pos;
  if (pos + 1 < s.size() && (s[pos] == 'e' || s[pos] == 'E') &&
      (IsDigit(s[pos + 1]) || s[pos + 1] == '-' || s[pos + 1] == '+')) {
    pos += 2;
    while (pos < s.size() && IsDigit(s[pos])) ++pos;
  }
  return pos;
}

// Block comments nest in T-SQL.
std::size_t SkipBlockComment(std::string_view s, std::size_t pos) {
  int depth = 0;
  while (pos + 1 < s.size()) {
    if (s[pos] == '/' && s[pos + 1] == '*') {
      ++depth;
      pos += 2;
    } else if (s[pos] == '*' && s[pos + 1] == '/') {
      pos += 2;
      if (--depth == 0) return pos;
    } else {
      ++pos;
    }
  }
  return s.size();
}

// GO separates batches only alone on its line (a repeat count or a comment may follow).
bool IsGoLine(std::string_view s, std::size_t begin, std::size_t end) {
  for (std::size_t i = begin; i > 0 && s[i - 1] != '\n'; --i) {
    if (s[i - 1] != ' ' && s[i - 1] != '\t') return false;
  }
  while (end < s.size() && (s[end] == ' ' || s[end] == '\t' || IsDigit(s[end]))) ++end;
  return end == s.size() || s[end] == '\r' || s[end] == '\n' || s.substr(end, 2) == "--";
}

// Statement words that end an ALTER TABLE whose batch goes on without a GO.
constexpr std::string_view kStatementWords[] = {
    "alter",    "begin",  "checkpoint", "commit", "create",   "dbcc",   "declare",
    "delete",   "drop",   "end",        "exec",   "execute",  "grant",  "if",
    "insert",   "print",  "raiserror",  "return", "rollback", "select", "set",
    "truncate", "update", "use",        "while"};

bool IsUtf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t at = pos;
    if (NextUtf8(text, pos) == U'\uFFFD' && text.substr(at, 3) != "\xEF\xBF\xBD") return false;
  }
  return true;
}

}  // namespace

std::string DecodeScript(ByteView bytes) {
  if (bytes.At(0) == 0xFF && bytes.At(1) == 0xFE) return Utf16LeToUtf8(bytes.Sub(2));
  if (bytes.At(0) == 0xEF && bytes.At(1) == 0xBB && bytes.At(2) == 0xBF) bytes = bytes.Sub(3);
  const std::span<const std::uint8_t> span = bytes.span();
  std::string text(span.begin(), span.end());
  return IsUtf8(text) ? text : CodePageToUtf8(bytes, kDefaultCodePage);
}

bool IEquals(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

std::vector<Token> Tokenize(std::string_view s) {
  std::vector<Token> tokens;
  std::size_t pos = 0;
  while (pos < s.size()) {
    const char c = s[pos];
    const char next = pos + 1 < s.size() ? s[pos + 1] : '\0';
    if (std::isspace(static_cast<unsigned char>(c)) != 0) {
      ++pos;
      continue;
    }
    if (c == '-' && next == '-') {
      pos = std::min(s.find('\n', pos), s.size());
      continue;
    }
    if (c == '/' && next == '*') {
      pos = SkipBlockComment(s, pos);
      continue;
    }
    Token t{Tok::kPunct, {}, pos, pos};
    if (c == '\'' || ((c == 'N' || c == 'n') && next == '\'')) {
      t.kind = Tok::kString;
      pos = ReadDelimited(s, c == '\'' ? pos + 1 : pos + 2, '\'', t.text);
    } else if (c == '"' || c == '[') {
      t.kind = Tok::kQuoted;
      pos = ReadDelimited(s, pos + 1, c == '"' ? '"' : ']', t.text);
    } else if (IsDigit(c) || ((c == '.' || c == '$') && (IsDigit(next) || next == '.'))) {
      t.kind = Tok::kNumber;
      pos = ReadNumber(s, pos);
      t.text = s.substr(t.begin, pos - t.begin);
    } else if (IsWordStart(c)) {
      while (pos < s.size() && IsWordChar(s[pos])) ++pos;
      t.text = s.substr(t.begin, pos - t.begin);
      t.kind = IEquals(t.text, "go") && IsGoLine(s, t.begin, pos) ? Tok::kGo : Tok::kWord;
    } else {
      t.text.assign(1, c);
      ++pos;
    }
    t.end = pos;
    tokens.push_back(std::move(t));
  }
  tokens.push_back(Token{Tok::kGo, {}, s.size(), s.size()});  // the last batch's end
  return tokens;
}

TokenCursor::TokenCursor(std::string_view text)
    : text_(text), tokens_(Tokenize(text)), end_(tokens_.size() - 1) {}

bool TokenCursor::Word(std::size_t i, std::string_view word) const {
  return At(i).kind == Tok::kWord && IEquals(At(i).text, word);
}

bool TokenCursor::Punct(std::size_t i, char c) const {
  return At(i).kind == Tok::kPunct && At(i).text[0] == c;
}

bool TokenCursor::IsName(std::size_t i) const {
  return At(i).kind == Tok::kWord || At(i).kind == Tok::kQuoted;
}

std::string_view TokenCursor::Source(std::size_t begin, std::size_t last) const {
  return text_.substr(At(begin).begin, At(last).end - At(begin).begin);
}

std::string_view TokenCursor::BatchText(std::size_t begin) const {
  std::string_view text = text_.substr(At(begin).begin, At(end_).begin - At(begin).begin);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())) != 0) {
    text.remove_suffix(1);
  }
  return text;
}

std::size_t TokenCursor::SkipGroup(std::size_t i) const {
  if (!Punct(i, '(')) return i;
  int depth = 0;
  for (; i < end_; ++i) {
    if (Punct(i, '(')) ++depth;
    if (Punct(i, ')') && --depth == 0) return i + 1;
  }
  return end_;
}

std::size_t TokenCursor::Step(std::size_t i) const { return Punct(i, '(') ? SkipGroup(i) : i + 1; }

std::size_t TokenCursor::NextComma(std::size_t i, std::size_t end) const {
  while (i < end && !Punct(i, ',')) i = Step(i);
  return std::min(i, end);
}

std::size_t TokenCursor::StatementEnd(std::size_t i) const {
  for (; i < end_; i = Step(i)) {
    if (Punct(i, ';')) return i;
    if (At(i).kind != Tok::kWord) continue;
    // ON DELETE SET NULL and ON UPDATE CASCADE belong to a foreign key.
    if ((Word(i, "update") || Word(i, "delete")) && Word(i - 1, "on")) continue;
    if (Word(i, "set") && (Word(i - 1, "update") || Word(i - 1, "delete"))) continue;
    for (std::string_view word : kStatementWords) {
      if (IEquals(At(i).text, word)) return i;
    }
  }
  return end_;
}

std::size_t TokenCursor::Name(std::size_t i, std::string& name) const {
  name.clear();
  while (IsName(i)) {
    name = At(i).text;
    ++i;
    if (!Punct(i, '.')) break;
    while (Punct(i, '.')) ++i;
  }
  return i;
}

std::size_t TokenCursor::NameList(std::size_t i, std::vector<std::string>& names) const {
  if (!Punct(i, '(')) return i;
  const std::size_t after = SkipGroup(i);
  for (++i; i + 1 < after; ++i) {
    if (IsName(i) && !Word(i, "asc") && !Word(i, "desc")) names.push_back(At(i).text);
  }
  return after;
}

}  // namespace tessaril::sql
