// The inotify decoder on any read buffer: records are taken apart without
// trusting the kernel's lengths, and the tree stays consistent.
#include <cstdint>
#include <span>
#include <vector>

#include "core/engine/backend/inotify/directory_tree.h"
#include "core/engine/backend/inotify/inotify_decoder.h"
#include "core/engine/backend/inotify/scan_echoes.h"

namespace tavrek::engine {
namespace {

// Watches directories in memory with new descriptors from 100 on.
class MemoryWatches : public DirectoryWatchHooks {
 public:
  explicit MemoryWatches(DirectoryTree& tree) : tree_(tree) {}
  void WatchDirectory(NodeId parent, std::string_view name, ScanMode,
                      std::vector<RawChange>&) override {
    if (tree_.FindChild(parent, name) == kNoNode) tree_.Add(next_++, parent, name);
  }
  void RemoveWatches(std::span<const int32_t>) override {}

 private:
  DirectoryTree& tree_;
  int32_t next_ = 100;
};

}  // namespace
}  // namespace tavrek::engine

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tavrek::engine;
  // A kernel buffer is aligned; so is this copy.
  const std::vector<std::byte> buffer(reinterpret_cast<const std::byte*>(data),
                                      reinterpret_cast<const std::byte*>(data) + size);
  DirectoryTree tree;
  tree.Reset("/w/", 1);
  ScanEchoes echoes;
  MemoryWatches hooks(tree);
  InotifyDecoder decoder(tree, echoes, hooks, size % 2 == 0);
  std::vector<RawChange> out;
  DrainResult result;
  const size_t half = size / 2;
  decoder.Decode(std::span(buffer).first(half), out, result);
  decoder.AgePendingMoves(out);
  decoder.Decode(std::span(buffer).subspan(half), out, result);
  decoder.AgePendingMoves(out);
  decoder.FlushPendingMoves(out);
  return 0;
}
