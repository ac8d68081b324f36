// Memory the access statistics hold per distinct path, beyond the path's
// text: the grouped tree and the simple overview, each measured alone
// through the allocator's count of bytes in use.
//   statistics_memory [PATHS] [FOLDERS]
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/engine/action.h"
#include "core/engine/statistics/access_overview.h"
#include "core/engine/statistics/access_tree.h"

namespace {

using namespace tavrek;

// Small blocks and the large ones the allocator maps on their own.
size_t BytesInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

template <typename Statistics>
double BytesPerPath(const std::vector<engine::ChangeEvent>& events, size_t textBytes) {
  const size_t before = BytesInUse();
  auto* statistics = new Statistics();
  for (const engine::ChangeEvent& event : events) statistics->Add(event);
  const size_t after = BytesInUse();
  delete statistics;
  return (static_cast<double>(after - before) - static_cast<double>(textBytes)) /
         static_cast<double>(events.size());
}

}  // namespace

int main(int argc, char** argv) {
  const size_t paths = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1'000'000;
  const size_t folders = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1'000;
  std::vector<engine::ChangeEvent> events(paths);
  size_t textBytes = 0;
  size_t nameBytes = 0;
  for (size_t i = 0; i < paths; ++i) {
    const std::string name = "file-" + std::to_string(i) + ".txt";
    events[i].path = "/home/user/projects/tree/d" + std::to_string(i % folders) + "/" + name;
    events[i].action = engine::Action::kCreated;
    events[i].time = platform::GetLocalTime();
    textBytes += events[i].path.size();
    nameBytes += name.size();
  }
  std::printf("%zu distinct paths in %zu folders, %.1f bytes of path text, %.1f of file name\n",
              paths, folders, static_cast<double>(textBytes) / static_cast<double>(paths),
              static_cast<double>(nameBytes) / static_cast<double>(paths));
  std::printf("grouped tree:   %.1f bytes per path beyond the path text\n",
              BytesPerPath<engine::AccessTree>(events, textBytes));
  std::printf("simple overview: %.1f bytes per path beyond the path text\n",
              BytesPerPath<engine::AccessOverview>(events, textBytes));
  return 0;
}
