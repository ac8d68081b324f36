#include "core/engine/source/status_store.h"

#include <utility>
#include <vector>

namespace tavrek::engine {
namespace {

// "/a/b/c" is the name "c" in the folder "/a/b"; "/c" is "c" in "".
std::pair<std::string_view, std::string_view> Split(std::string_view path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return {{}, path};
  return {path.substr(0, slash), path.substr(slash + 1)};
}

}  // namespace

const FileStatus* StatusStore::Find(std::string_view path) const {
  const auto [folderPath, name] = Split(path);
  // Only the look-up cache changes.
  const auto folder = folderCache_.Find(const_cast<Folders&>(folders_), folderPath);
  if (folder == folders_.end()) return nullptr;
  const Node* found = folder->second.Find(name);
  return found == nullptr ? nullptr : &found->second.status;
}

StatusStore::Folders::iterator StatusStore::FolderFor(std::string_view folderPath) {
  if (const auto known = folderCache_.Find(folders_, folderPath); known != folders_.end()) {
    return known;
  }
  const auto made = folders_.emplace(std::string(folderPath), Names{}).first;
  folderCache_.Remember(folderPath, made);  // a miss found no folder: it is new
  return made;
}

StatusStore::Folders::iterator StatusStore::EraseFolderEntry(Folders::iterator folder) {
  folderCache_.Forget(folder);
  return folders_.erase(folder);
}

void StatusStore::Set(std::string_view path, const FileStatus& status) {
  const auto [folderPath, name] = Split(path);
  const auto folder = FolderFor(folderPath);
  // One look-up for a new name and a known one alike.
  const auto [found, added] = folder->second.TryEmplace(name, Entry{status, &folder->first});
  if (added) {
    byInode_.Add(status.inode, found);
    ++size_;
    return;
  }
  if (found->second.status.inode != status.inode) {
    // Another file took the name.
    Unindex(found);
    byInode_.Add(status.inode, found);
  }
  found->second.status = status;
}

void StatusStore::Unindex(Node* node) {
  byInode_.Remove(node->second.status.inode, node);
}

StatusStore::Folders::iterator StatusStore::EraseFolder(Folders::iterator folder) {
  folder->second.ForEach([&](Node& node) { Unindex(&node); });
  size_ -= folder->second.size();
  return EraseFolderEntry(folder);
}

void StatusStore::Erase(std::string_view path, bool withEntriesBelow) {
  const auto [folderPath, name] = Split(path);
  if (auto folder = folderCache_.Find(folders_, folderPath); folder != folders_.end()) {
    if (Node* found = folder->second.Find(name)) {
      Unindex(found);
      folder->second.Erase(name);
      --size_;
      if (folder->second.empty()) EraseFolderEntry(folder);
    }
  }
  if (!withEntriesBelow) return;
  if (auto folder = folders_.find(path); folder != folders_.end()) EraseFolder(folder);
  const std::string prefix = std::string(path) + '/';
  for (auto it = folders_.lower_bound(prefix);
       it != folders_.end() && it->first.starts_with(prefix);) {
    it = EraseFolder(it);
  }
}

void StatusStore::Move(std::string_view from, std::string_view to, bool withEntriesBelow) {
  Erase(to, withEntriesBelow);
  const auto [fromFolder, fromName] = Split(from);
  if (auto folder = folders_.find(fromFolder); folder != folders_.end()) {
    if (Node* found = folder->second.Find(fromName)) {
      Unindex(found);
      Entry entry = found->second;
      folder->second.Erase(fromName);
      if (folder->second.empty()) EraseFolderEntry(folder);
      const auto [toFolder, toName] = Split(to);
      const auto target = FolderFor(toFolder);
      entry.folder = &target->first;
      const auto [moved, added] = target->second.TryEmplace(toName, entry);
      if (added) {
        byInode_.Add(entry.status.inode, moved);
      } else {
        --size_;
      }
    }
  }
  if (!withEntriesBelow) return;
  // Whole folders move with their keys renamed in place.
  folderCache_.Clear();
  std::vector<Folders::node_type> moved;
  if (auto folder = folders_.find(from); folder != folders_.end()) {
    moved.push_back(folders_.extract(folder));
  }
  const std::string prefix = std::string(from) + '/';
  for (auto it = folders_.lower_bound(prefix);
       it != folders_.end() && it->first.starts_with(prefix);) {
    moved.push_back(folders_.extract(it++));
  }
  for (Folders::node_type& node : moved) {
    node.key() = std::string(to) + node.key().substr(from.size());
    auto result = folders_.insert(std::move(node));
    if (result.inserted) continue;
    // The name was taken after all: what moved there is dropped.
    result.node.mapped().ForEach([&](Node& entry) { Unindex(&entry); });
    size_ -= result.node.mapped().size();
  }
}

void StatusStore::ForEachName(
    uint64_t inode, const std::function<void(const std::string& path, FileStatus& status)>& visit) {
  byInode_.ForEach(inode, [&](void* entry) {
    Node& node = *static_cast<Node*>(entry);
    visit(*node.second.folder + '/' + node.first, node.second.status);
  });
}

}  // namespace tavrek::engine
