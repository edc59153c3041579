// A small command-line parser: positional words, --flags and --name VALUE.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/result.h"

namespace tessaril::cli {

struct Arguments {
  std::vector<std::string> positional;
  std::set<std::string> flags;
  std::map<std::string, std::string> values;

  bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
  std::optional<std::string> Value(const std::string& name) const;
};

// Parses words after the command name. valueOptions take the next word (or
// "--name=value"); flagOptions take none. "--" ends the options. Anything
// else starting with "--" is an error naming it.
// A whole number a user typed: decimal, or hexadecimal after "0x". Nothing
// for a sign, other characters or a value beyond 64 bits.
std::optional<std::uint64_t> ParseCount(const std::string& text);

Result<Arguments> ParseArguments(const std::vector<std::string>& words,
                                 const std::set<std::string>& flagOptions,
                                 const std::set<std::string>& valueOptions);

}  // namespace tessaril::cli
