#pragma once
// File operations of the tests that must fail loudly instead of silently.
#include <gtest/gtest.h>

#include <string>

namespace tavrek::testing {

// Each returns true on success; tests wrap them in ASSERT_TRUE.
bool CreateEmpty(const std::string& path);
bool MakeDirectory(const std::string& path);
bool AppendTo(const std::string& path, const std::string& text);
bool OverwriteAt(const std::string& path, long offset, const std::string& text);
bool ReadAll(const std::string& path);
bool RenamePath(const std::string& from, const std::string& to);
// Sets the access and/or modification time to `seconds` (since 1970); a time
// not asked for is left alone.
bool SetTimes(const std::string& path, bool access, bool modification, long seconds);

}  // namespace tavrek::testing
