#pragma once
// How tavrek-watch writes its rows: TAB-separated text for people and
// shells, or JSON Lines for programs.
#include <optional>
#include <string_view>

namespace tavrek::cli {

enum class OutputFormat { kTsv, kJson };

inline std::optional<OutputFormat> ParseOutputFormat(std::string_view name) {
  if (name == "tsv") return OutputFormat::kTsv;
  if (name == "json") return OutputFormat::kJson;
  return std::nullopt;
}

}  // namespace tavrek::cli
