#pragma once
// The text of the change log's process column.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tavrek::engine {

// Follows the pid of a change this program made itself.
inline constexpr std::string_view kOwnProcessMark = "eigen";

// "touch (4711)"; "(4711)" when the name was never read (the process ended
// first); "tavrek (4711, eigen)" for this program's own changes; empty
// without a pid (the kernel did not tell).
std::string FormatProcessText(std::string_view name, int32_t pid, bool own);
// The same into `buffer`, cut to fit it.
std::string_view FormatProcessText(std::string_view name, int32_t pid, bool own,
                                   std::span<char> buffer);

bool IsOwnProcess(int32_t pid);

}  // namespace tavrek::engine
