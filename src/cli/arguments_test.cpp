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

}  // namespace
}  // namespace tessaril::cli
