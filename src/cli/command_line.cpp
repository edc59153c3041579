#include "cli/command_line.h"

#include <iostream>

#include "cli/commands.h"
#include "cli/opened_table.h"
#include "cli/terminal_events.h"

namespace tessaril::cli {

CommandLine ParseCommandLine(const std::vector<std::string>& words, const char* usage,
                             std::size_t positionalCount, std::set<std::string> flags,
                             const std::set<std::string>& values) {
  return ParseCommandLineBetween(words, usage, positionalCount, positionalCount, std::move(flags),
                                 values);
}

CommandLine ParseCommandLineBetween(const std::vector<std::string>& words, const char* usage,
                                    std::size_t minPositional, std::size_t maxPositional,
                                    std::set<std::string> flags,
                                    const std::set<std::string>& values) {
  flags.insert("--help");
  flags.insert(kNoCacheOption);
  Result<Arguments> parsed = ParseArguments(words, flags, values);
  if (parsed && parsed->Has("--help")) {
    std::cout << usage;
    return {std::nullopt, kExitOk};
  }
  if (!parsed || parsed->positional.size() < minPositional ||
      parsed->positional.size() > maxPositional) {
    PrintError(parsed ? "wrong number of arguments" : parsed.error());
    std::cerr << usage;
    return {std::nullopt, kExitUsage};
  }
  return {std::move(parsed).value(), kExitOk};
}

}  // namespace tessaril::cli
