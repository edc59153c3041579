// Test support: rendered rows as the grid shows their texts (NULL as "NULL").
#pragma once

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

}  // namespace tessaril::testing
