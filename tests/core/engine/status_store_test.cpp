#include "core/engine/source/status_store.h"

#include <gtest/gtest.h>

#include <set>

namespace tavrek::engine {
namespace {

FileStatus WithInode(uint64_t inode) {
  FileStatus status;
  status.inode = inode;
  return status;
}

std::set<std::string> NamesOf(StatusStore& store, uint64_t inode) {
  std::set<std::string> names;
  store.ForEachName(inode, [&](const std::string& path, FileStatus&) { names.insert(path); });
  return names;
}

// Folders whose names start like the moved one ("/w/d-x", "/w/d.x" sort
// between "/w/d" and "/w/d/") stay where they are.
TEST(StatusStoreTest, AFolderMovesAndLeavesWithEverythingBelowIt) {
  StatusStore store;
  for (const char* path : {"/w/d", "/w/d/f", "/w/d/e/g", "/w/d-x/f", "/w/d.x/f", "/w/dd"}) {
    store.Set(path, WithInode(1));
  }
  store.Set("/w/d/e/g", WithInode(2));
  store.Set("/w/q/h", WithInode(2));  // a hard link of g
  store.Set("/w/n/old", WithInode(3));  // replaced by the move
  store.Move("/w/d", "/w/n", true);
  for (const char* gone : {"/w/d", "/w/d/f", "/w/d/e/g", "/w/n/old"}) {
    EXPECT_EQ(store.Find(gone), nullptr) << gone;
  }
  for (const char* kept : {"/w/n", "/w/n/f", "/w/n/e/g", "/w/d-x/f", "/w/d.x/f", "/w/dd"}) {
    EXPECT_NE(store.Find(kept), nullptr) << kept;
  }
  EXPECT_EQ(store.size(), 7u);
  EXPECT_EQ(NamesOf(store, 2), (std::set<std::string>{"/w/n/e/g", "/w/q/h"}));
  EXPECT_TRUE(NamesOf(store, 3).empty());

  store.Erase("/w/n", true);
  EXPECT_EQ(store.size(), 4u);
  EXPECT_EQ(NamesOf(store, 2), (std::set<std::string>{"/w/q/h"}));
  EXPECT_NE(store.Find("/w/d-x/f"), nullptr);
}

TEST(StatusStoreTest, AFileMovesBetweenFoldersAndANewInodeIsReindexed) {
  StatusStore store;
  store.Set("/w/a/f", WithInode(5));
  store.Move("/w/a/f", "/w/b/f", false);
  EXPECT_EQ(NamesOf(store, 5), (std::set<std::string>{"/w/b/f"}));
  store.Set("/w/b/f", WithInode(6));  // another file took the name
  EXPECT_TRUE(NamesOf(store, 5).empty());
  EXPECT_EQ(NamesOf(store, 6), (std::set<std::string>{"/w/b/f"}));
  store.Move("/w/missing", "/w/b/f", false);  // nothing to move: the target is still replaced
  EXPECT_EQ(store.size(), 0u);
  EXPECT_TRUE(NamesOf(store, 6).empty());
}

}  // namespace
}  // namespace tavrek::engine
