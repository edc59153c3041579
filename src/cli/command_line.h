// The words of one command: parsed, with --help answered and usage errors
// reported on stderr.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli/arguments.h"

namespace tessaril::cli {

// args is empty when the command has nothing more to do (it printed its
// usage for --help, or a usage error); status then is the exit status.
struct CommandLine {
  std::optional<Arguments> args;
  int status = 0;
};

CommandLine ParseCommandLine(const std::vector<std::string>& words, const char* usage,
                             std::size_t positionalCount, std::set<std::string> flags,
                             const std::set<std::string>& values);
// The same for a command that takes from minPositional to maxPositional words.
CommandLine ParseCommandLineBetween(const std::vector<std::string>& words, const char* usage,
                                    std::size_t minPositional, std::size_t maxPositional,
                                    std::set<std::string> flags,
                                    const std::set<std::string>& values);

}  // namespace tessaril::cli
