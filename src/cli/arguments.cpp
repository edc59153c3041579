#include "cli/arguments.h"

namespace tessaril::cli {

std::optional<std::string> Arguments::Value(const std::string& name) const {
  const auto it = values.find(name);
  if (it == values.end()) return std::nullopt;
  return it->second;
}

std::optional<std::uint64_t> ParseCount(const std::string& text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  const char* allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
  if (digits.empty() || digits.find_first_not_of(allowed) != std::string::npos) return std::nullopt;
  try {
    return std::stoull(digits, nullptr, hex ? 16 : 10);
  } catch (const std::exception&) {
    return std::nullopt;  // out of range
  }
}

Result<Arguments> ParseArguments(const std::vector<std::string>& words,
                                 const std::set<std::string>& flagOptions,
                                 const std::set<std::string>& valueOptions) {
  Arguments args;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (optionsEnded || word.size() < 2 || word[0] != '-' || word == "-") {
      args.positional.push_back(word);
      continue;
    }
    if (word == "--") {
      optionsEnded = true;
      continue;
    }
    std::string name = word;
    std::optional<std::string> inlineValue;
    if (const std::size_t eq = word.find('='); eq != std::string::npos) {
      name = word.substr(0, eq);
      inlineValue = word.substr(eq + 1);
    }
    if (flagOptions.count(name) != 0 && !inlineValue) {
      args.flags.insert(name);
    } else if (valueOptions.count(name) != 0) {
      if (inlineValue) {
        args.values[name] = *inlineValue;
      } else if (i + 1 < words.size()) {
        args.values[name] = words[++i];
      } else {
        return Error{"option " + name + " needs a value"};
      }
    } else {
      return Error{"unknown option " + word};
    }
  }
  return args;
}

}  // namespace tessaril::cli
