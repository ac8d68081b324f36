// Builds a chain of new nested folders as fast as possible, each given its
// files the moment it exists, so a watcher must catch files created before
// it can have watched their folder:
//   nested_burst FOLDER [LEVELS] [FILES]      (1000 levels, 3 files)
// Level k is FOLDER/d/d/.../d (k times "d") holding f1..fFILES. Works through
// open folder descriptors, so the depth costs no path lookups. Prints
// "levels N files M wall_ms X"; exits 1 at the first failure.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kDefaultLevels = 1000;
constexpr size_t kDefaultFiles = 3;
constexpr mode_t kFolderMode = 0755;
constexpr mode_t kFileMode = 0644;
constexpr const char* kFolderName = "d";

size_t CountArgument(int argc, char** argv, int index, size_t fallback) {
  return argc > index ? std::strtoull(argv[index], nullptr, 10) : fallback;
}

bool Fail(const char* what, size_t level) {
  std::fprintf(stderr, "%s at level %zu: %s\n", what, level, std::strerror(errno));
  return false;
}

// Makes the next level inside `parent`, fills it and returns its descriptor
// in `child`.
bool AddLevel(int parent, size_t level, size_t files, int& child) {
  if (mkdirat(parent, kFolderName, kFolderMode) != 0) return Fail("mkdir", level);
  child = openat(parent, kFolderName, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (child < 0) return Fail("open folder", level);
  for (size_t i = 1; i <= files; ++i) {
    const std::string name = "f" + std::to_string(i);
    const int fd = openat(child, name.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, kFileMode);
    if (fd < 0) return Fail("create", level);
    close(fd);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER [LEVELS] [FILES]\n", argv[0]);
    return 2;
  }
  const size_t levels = CountArgument(argc, argv, 2, kDefaultLevels);
  const size_t files = CountArgument(argc, argv, 3, kDefaultFiles);
  int current = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (current < 0) {
    Fail("open", 0);
    return 1;
  }

  const Clock::time_point start = Clock::now();
  for (size_t level = 1; level <= levels; ++level) {
    int next = -1;
    const bool added = AddLevel(current, level, files, next);
    close(current);
    current = next;
    if (!added) {
      if (current >= 0) close(current);
      return 1;
    }
  }
  const double wallMs =
      std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  close(current);
  std::printf("levels %zu files %zu wall_ms %.1f\n", levels, levels * files, wallMs);
  return 0;
}
