// The text of a T-SQL script file, its tokens and a cursor over them, for the
// script reader in sql_script.h. Comments are dropped; a GO line becomes a
// batch token.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_view.h"

namespace tessaril::sql {

// A script file's bytes as UTF-8: UTF-16LE or UTF-8 after a byte order mark,
// else UTF-8 when they are valid, else code page 1252.
std::string DecodeScript(ByteView bytes);

enum class Tok { kWord, kQuoted, kString, kNumber, kPunct, kGo };

// One token and where it stands in the text. text is a word or number as
// written ($20.00 and 0x1F are numbers), an identifier without its quotes or
// brackets, a string's value ('' made one, N'..' the same), or one
// punctuation character.
struct Token {
  Tok kind = Tok::kPunct;
  std::string text;
  std::size_t begin = 0;
  std::size_t end = 0;
};

bool IEquals(std::string_view a, std::string_view b);

// The tokens of text, ending with a kGo token at its end.
std::vector<Token> Tokenize(std::string_view text);

// Reads the tokens of one batch. Positions past the batch read as the GO token
// that ends it, so no walk leaves its batch.
class TokenCursor {
 public:
  explicit TokenCursor(std::string_view text);

  const std::vector<Token>& tokens() const { return tokens_; }
  std::size_t batchEnd() const { return end_; }
  void SetBatchEnd(std::size_t end) { end_ = end; }

  const Token& At(std::size_t i) const { return tokens_[i < end_ ? i : end_]; }
  bool Word(std::size_t i, std::string_view word) const;
  bool Punct(std::size_t i, char c) const;
  bool IsName(std::size_t i) const;
  // The script text from token begin up to and with token last.
  std::string_view Source(std::size_t begin, std::size_t last) const;
  // The script text from token begin to the end of the batch, comments kept
  // and trailing blanks cut.
  std::string_view BatchText(std::size_t begin) const;

  // Past the parenthesised group at i (or i itself when there is none).
  std::size_t SkipGroup(std::size_t i) const;
  // Past the token at i, or past its whole group when it opens one.
  std::size_t Step(std::size_t i) const;
  // The next comma outside parentheses before end, else end.
  std::size_t NextComma(std::size_t i, std::size_t end) const;
  // The first word that starts another statement, a ';', or the batch end.
  std::size_t StatementEnd(std::size_t i) const;

  // A name of one or more parts ([dbo].[x], "dbo"."x", dbo..x); the last is kept.
  std::size_t Name(std::size_t i, std::string& name) const;
  // (a, b DESC, ...) -> the names.
  std::size_t NameList(std::size_t i, std::vector<std::string>& names) const;

 private:
  std::string_view text_;
  std::vector<Token> tokens_;
  std::size_t end_;
};

}  // namespace tessaril::sql
