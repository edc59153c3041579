#include "cli/arguments.h"

#include <gtest/gtest.h>

namespace tessaril::cli {
namespace {

TEST(Arguments, SplitsPositionalsFlagsAndValues) {
  const auto args = ParseArguments(
      {"a.mdf", "--deleted", "--log-dir", "/tmp", "--collation=X", "--", "--literal"},
      {"--deleted"}, {"--log-dir", "--collation"});
  ASSERT_TRUE(args.ok());
  EXPECT_EQ(args->positional, (std::vector<std::string>{"a.mdf", "--literal"}));
  EXPECT_TRUE(args->Has("--deleted"));
  EXPECT_EQ(args->Value("--log-dir"), "/tmp");
  EXPECT_EQ(args->Value("--collation"), "X");
  EXPECT_FALSE(args->Value("--other"));
}

TEST(Arguments, RejectsWhatItDoesNotKnow) {
  struct Case {
    std::vector<std::string> words;
    const char* error;
  };
  const std::vector<Case> cases = {
      {{"--bogus"}, "unknown option --bogus"},
      {{"--log-dir"}, "option --log-dir needs a value"},
      {{"--deleted=yes"}, "unknown option --deleted=yes"},
  };
  for (const Case& c : cases) {
    const auto args = ParseArguments(c.words, {"--deleted"}, {"--log-dir"});
    ASSERT_FALSE(args.ok());
    EXPECT_EQ(args.error(), c.error);
  }
}

TEST(Arguments, CountsAreDecimalOrHexadecimal) {
  const std::vector<std::pair<std::string, std::optional<std::uint64_t>>> cases = {
      {"9", 9},
      {"010", 10},  // not octal
      {"0x100000000220000", 0x100000000220000},
      {"18446744073709551615", UINT64_MAX},
      {"18446744073709551616", std::nullopt},
      {"", std::nullopt},
      {"0x", std::nullopt},
      {"-1", std::nullopt},
      {"+1", std::nullopt},
      {"1 ", std::nullopt},
      {"12abc", std::nullopt},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseCount(text), value) << text;
}

}  // namespace
}  // namespace tessaril::cli
