#include "core/engine/backend/fanotify/fanotify_handle_cache.h"

#include <gtest/gtest.h>

namespace tavrek::engine {
namespace {

std::string PathOf(const FanotifyDirectoryCache& cache, const FanotifyFileKey& key) {
  const std::string* path = cache.Find(key);
  return path ? *path : "<none>";
}

TEST(FanotifyDirectoryCacheTest, MoveCarriesTheSubtreeButNotSiblingsWithTheSamePrefix) {
  FanotifyDirectoryCache cache;
  cache.Learn("b", "/a/b");
  cache.Learn("c", "/a/b/c");
  cache.Learn("d", "/a/b/c/d");
  cache.Learn("b2", "/a/b2");
  cache.Learn("bx", "/a/b-x");
  cache.Learn("old", "/z/new");       // replaced by the move
  cache.Learn("below", "/z/new/in");  // was inside the replaced directory

  cache.Moved("/a/b", "/z/new");

  EXPECT_EQ(PathOf(cache, "b"), "/z/new");
  EXPECT_EQ(PathOf(cache, "c"), "/z/new/c");
  EXPECT_EQ(PathOf(cache, "d"), "/z/new/c/d");
  EXPECT_EQ(PathOf(cache, "b2"), "/a/b2");
  EXPECT_EQ(PathOf(cache, "bx"), "/a/b-x");
  EXPECT_EQ(PathOf(cache, "old"), "<none>");
  EXPECT_EQ(PathOf(cache, "below"), "<none>");
  EXPECT_EQ(cache.size(), 5u);

  cache.Moved("/z/new", "/z/new/c/inside");  // impossible for a directory: ignored
  EXPECT_EQ(PathOf(cache, "b"), "/z/new");
}

TEST(FanotifyDirectoryCacheTest, OnePathHoldsOneDirectoryAndOneDirectoryOnePath) {
  FanotifyDirectoryCache cache;
  cache.Learn("x", "/p");
  cache.Learn("y", "/p");  // another directory now at /p
  EXPECT_EQ(PathOf(cache, "x"), "<none>");
  cache.Learn("y", "/q");  // y moved on; /p is free again
  cache.Learn("x", "/p");
  EXPECT_EQ(PathOf(cache, "x"), "/p");
  EXPECT_EQ(PathOf(cache, "y"), "/q");
  EXPECT_EQ(cache.size(), 2u);
  cache.Forget("y");
  cache.Moved("/q", "/r");  // nothing left at /q: nothing to carry
  EXPECT_EQ(cache.size(), 1u);
}

TEST(FanotifyDirectoryCacheTest, StartsAfreshWhenFull) {
  constexpr size_t kCapacity = 3;
  FanotifyDirectoryCache cache(kCapacity);
  for (const char* key : {"a", "b", "c", "d"}) cache.Learn(key, std::string("/") + key);
  EXPECT_EQ(cache.size(), 1u);
  EXPECT_EQ(PathOf(cache, "d"), "/d");
}

}  // namespace
}  // namespace tavrek::engine
