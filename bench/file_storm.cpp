// Creates files as fast as one thread can, spread round-robin over existing
// subfolders d0..d(FOLDERS-1) of FOLDER, and prints the wall time it took:
//   file_storm FOLDER [FILES] [FOLDERS] [RENAMES] [DELETES]
//   (100000 files, 100 folders, no renames or deletes)
// Each file is open(O_CREAT) and close, nothing written. Then the first
// RENAMES files are renamed within their folder (fN to rN) and the DELETES
// files after them deleted. Prints "files N renames R deletes D wall_ms X";
// exits 1 at the first failure.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kDefaultFiles = 100'000;
constexpr size_t kDefaultFolders = 100;
constexpr mode_t kFileMode = 0644;

size_t CountArgument(int argc, char** argv, int index, size_t fallback) {
  return argc > index ? std::strtoull(argv[index], nullptr, 10) : fallback;
}

// The subfolder paths with a trailing "/", checked to exist before timing.
bool SubfolderPaths(const std::string& folder, size_t count, std::vector<std::string>& paths) {
  for (size_t i = 0; i < count; ++i) {
    paths.push_back(folder + "/d" + std::to_string(i) + "/");
    if (access(paths.back().c_str(), W_OK) != 0) {
      std::fprintf(stderr, "%s: %s\n", paths.back().c_str(), std::strerror(errno));
      return false;
    }
  }
  return true;
}

bool CreateFile(const std::string& path) {
  const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, kFileMode);
  if (fd < 0) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  close(fd);
  return true;
}

bool Fail(const std::string& path) {
  std::fprintf(stderr, "%s: %s\n", path.c_str(), std::strerror(errno));
  return false;
}

std::string FilePath(const std::vector<std::string>& subfolders, const char* prefix, size_t i) {
  return subfolders[i % subfolders.size()] + prefix + std::to_string(i);
}

// Renames files [0, renames) and deletes the `deletes` files after them.
bool RenameAndDelete(const std::vector<std::string>& subfolders, size_t renames, size_t deletes) {
  for (size_t i = 0; i < renames; ++i) {
    const std::string from = FilePath(subfolders, "f", i);
    if (std::rename(from.c_str(), FilePath(subfolders, "r", i).c_str()) != 0) return Fail(from);
  }
  for (size_t i = renames; i < renames + deletes; ++i) {
    const std::string path = FilePath(subfolders, "f", i);
    if (unlink(path.c_str()) != 0) return Fail(path);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER [FILES] [FOLDERS]\n", argv[0]);
    return 2;
  }
  const size_t files = CountArgument(argc, argv, 2, kDefaultFiles);
  const size_t folders = CountArgument(argc, argv, 3, kDefaultFolders);
  const size_t renames = std::min(CountArgument(argc, argv, 4, 0), files);
  const size_t deletes = std::min(CountArgument(argc, argv, 5, 0), files - renames);
  std::vector<std::string> subfolders;
  if (folders == 0 || !SubfolderPaths(argv[1], folders, subfolders)) return 1;

  const Clock::time_point start = Clock::now();
  for (size_t i = 0; i < files; ++i) {
    if (!CreateFile(FilePath(subfolders, "f", i))) return 1;
  }
  if (!RenameAndDelete(subfolders, renames, deletes)) return 1;
  const double wallMs =
      std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  std::printf("files %zu renames %zu deletes %zu wall_ms %.1f\n", files, renames, deletes,
              wallMs);
  return 0;
}
