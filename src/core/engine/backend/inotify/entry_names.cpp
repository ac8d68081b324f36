#include "core/engine/backend/inotify/entry_names.h"

#include <algorithm>
#include <vector>

namespace tavrek::engine {
namespace {

// Changes are folded into the sorted run once they pass this many plus half
// the names already there: each fold costs about one sort of the run.
constexpr size_t kMinChangesBeforeFold = 32;

void SplitNames(std::string_view names, std::vector<std::string_view>& out) {
  for (size_t start = 0; start < names.size();) {
    size_t end = names.find('\0', start);
    if (end == std::string_view::npos) end = names.size();
    out.push_back(names.substr(start, end - start));
    start = end + 1;
  }
}

uint32_t JoinSorted(std::vector<std::string_view>& views, std::string& sorted) {
  std::sort(views.begin(), views.end());
  views.erase(std::unique(views.begin(), views.end()), views.end());
  size_t bytes = 0;
  for (std::string_view view : views) bytes += view.size() + 1;
  std::string joined;
  joined.reserve(bytes);
  for (std::string_view view : views) joined.append(view).push_back('\0');
  sorted = std::move(joined);
  return static_cast<uint32_t>(views.size());
}

}  // namespace

uint32_t SortNames(std::string_view names, std::string& sorted) {
  std::vector<std::string_view> views;
  SplitNames(names, views);
  return JoinSorted(views, sorted);
}

void EntryNames::Assign(std::string_view names) {
  changes_.reset();
  count_ = SortNames(names, sorted_);
}

bool EntryNames::Contains(std::string_view name) const {
  if (changes_) {
    if (auto known = changes_->find(name); known != changes_->end()) return known->second;
  }
  // Binary search over the run: [low, high) always starts and ends at whole names.
  size_t low = 0;
  size_t high = sorted_.size();
  while (low < high) {
    const size_t middle = low + (high - low) / 2;
    const size_t before = middle == 0 ? std::string::npos : sorted_.rfind('\0', middle - 1);
    const size_t start = before == std::string::npos ? 0 : before + 1;
    const size_t end = sorted_.find('\0', start);
    const std::string_view entry = std::string_view(sorted_).substr(start, end - start);
    if (entry == name) return true;
    if (entry < name) {
      low = end + 1;
    } else {
      high = start;
    }
  }
  return false;
}

void EntryNames::Change(std::string_view name, bool present) {
  const size_t foldAfter = kMinChangesBeforeFold + count_ / 2;
  if (!changes_) {
    // Sized for every change until the next fold: a burst into a directory
    // never rehashes the set on its way there.
    changes_ = std::make_unique<Changes>();
    changes_->reserve(foldAfter + 1);
  }
  const auto [known, added] = changes_->try_emplace(std::string(name), present);
  if (!added) known->second = present;
  if (changes_->size() > foldAfter) Fold();
}

void EntryNames::Fold() {
  if (!changes_) return;
  std::vector<std::string_view> views;
  views.reserve(count_ + changes_->size());
  std::vector<std::string_view> run;
  SplitNames(sorted_, run);
  for (std::string_view name : run) {
    if (!changes_->contains(name)) views.push_back(name);
  }
  for (const auto& [name, present] : *changes_) {
    if (present) views.push_back(name);
  }
  std::string folded;
  count_ = JoinSorted(views, folded);
  sorted_ = std::move(folded);
  changes_.reset();
}

}  // namespace tavrek::engine
