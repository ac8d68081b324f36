#pragma once
// A fresh folder below the system's temporary folder, removed with everything
// in it when the object goes.
#include <filesystem>
#include <string>

namespace tavrek::testing {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The path as text ending in "/".
  std::string slashed() const { return path_.string() + "/"; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  // Writes a file (creating missing parent folders) and returns its path.
  std::filesystem::path Write(const std::string& relative, const std::string& content = "") const;

 private:
  std::filesystem::path path_;
};

}  // namespace tavrek::testing
