// Test support: rendered rows as the grid shows their texts (NULL as "NULL").
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "values/row_context.h"

namespace tessaril::testing {

inline std::vector<std::string> ShownTexts(const RenderedRow& row) {
  std::vector<std::string> texts;
  for (const Cell& cell : row.cells) texts.emplace_back(cell.Shown());
  return texts;
}

inline std::vector<std::string> ShownTexts(const std::vector<std::optional<std::string>>& values) {
  std::vector<std::string> texts;
  for (const auto& value : values) texts.push_back(value ? *value : kNullText);
  return texts;
}

using RowTexts = std::vector<std::vector<std::string>>;

// The first row of `rows` that `from` does not hold, each row of `from`
// matching one row of `rows` at most; nothing when every row is one of them.
inline std::optional<std::vector<std::string>> RowNotAmong(const RowTexts& rows,
                                                           const RowTexts& from) {
  RowTexts remaining = from;
  std::sort(remaining.begin(), remaining.end());
  for (const auto& row : rows) {
    const auto found = std::lower_bound(remaining.begin(), remaining.end(), row);
    if (found == remaining.end() || *found != row) return row;
    remaining.erase(found);
  }
  return std::nullopt;
}

}  // namespace tessaril::testing
