#include "support/temp_folder.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>
#include <stdexcept>

namespace tavrek::testing {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tavrek-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code error;
  // Unreadable folders left by a test must not stop the clean-up.
  for (auto it = std::filesystem::recursive_directory_iterator(
           path_, std::filesystem::directory_options::skip_permission_denied, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_directory(error)) chmod(it->path().c_str(), 0700);
  }
  std::filesystem::remove_all(path_, error);
}

std::filesystem::path TempFolder::Write(const std::string& relative,
                                        const std::string& content) const {
  std::filesystem::path file = path_ / relative;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
  return file;
}

}  // namespace tavrek::testing
