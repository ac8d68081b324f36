// Polling as a backend: the timer of the polled tree sits in the source's
// poll set, so a stop ends the wait at once like any other.
#include <memory>

#include "core/engine/backend/backend.h"
#include "core/engine/backend/poll/polled_trees.h"

namespace tavrek::engine {
namespace {

class PollBackend final : public Backend {
 public:
  bool Start(const BackendSettings& settings, std::string& error) override {
    trees_ = std::make_unique<PolledTrees>(settings.pollInterval, settings.subtree,
                                           settings.cancel, true);
    if (!trees_->Open(error)) return false;
    if (trees_->Add(settings.folder, true)) return true;
    error = "cannot read " + settings.folder;
    return false;
  }
  std::vector<int> PollFds() const override { return {trees_->fd()}; }
  DrainResult Drain(std::vector<RawChange>& out) override {
    DrainResult result;
    const bool healthy = trees_->Drain(out, result);
    // The folder itself went away or was replaced: nothing is left to watch.
    result.ended = !healthy || !trees_->TakeLost().empty();
    return result;
  }
  void FlushPendingPairs(std::vector<RawChange>&) override {}

 private:
  std::unique_ptr<PolledTrees> trees_;
};

}  // namespace

std::unique_ptr<Backend> MakePollBackend() { return std::make_unique<PollBackend>(); }

}  // namespace tavrek::engine
