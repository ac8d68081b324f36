#include "core/setups/favourites.h"

#include <gtest/gtest.h>


#include "support/temp_folder.h"

namespace tavrek::setups {
namespace {

using testing::TempFolder;

TEST(FavouritesTest, FolderTextEndsInOneSeparatorAndANewNameIsTheDate) {
  EXPECT_EQ(NormaliseFavouritesFolder(""), "");
  EXPECT_EQ(NormaliseFavouritesFolder("/home/u/fav"), "/home/u/fav/");
  EXPECT_EQ(NormaliseFavouritesFolder("//home///u/fav//"), "/home/u/fav/");
  EXPECT_EQ(NormaliseFavouritesFolder("/"), "/");
  // A new favourite is named by day, month, year, hour and minute.
  EXPECT_EQ(DateName({2026, 3, 0, 6, 9, 5, 0, 0}), "6.03.2026 09-05");
}

TEST(FavouritesTest, ListingHoldsEveryEntryFoldersFirstByNameSortedTheGermanWay) {
  TempFolder folder;
  folder.Write("b.tvk");
  folder.Write("A notes.txt");
  folder.Write(".hidden.tvk");
  folder.Write("zeta/inner.tvk");
  folder.Write("Alpha/x.tvk");
  std::vector<std::string> names;
  for (const FavouriteItem& item : ListFavourites(folder.path().string())) {
    names.push_back(item.name + (item.isFolder ? "/" : ""));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha/", "zeta/", ".hidden.tvk", "A notes.txt", "b.tvk"}));
  EXPECT_TRUE(ListFavourites((folder / "missing").string()).empty());
  EXPECT_TRUE(FavouritesFolderUsable(folder.path().string()));
  EXPECT_FALSE(FavouritesFolderUsable((folder / "b.tvk").string()));
  EXPECT_FALSE(FavouritesFolderUsable(""));
  const std::pair<std::string_view, std::string_view> keys[] = {
      {"Äpfel", "apfel"}, {"öl", "ol"},   {"Übung", "ubung"}, {"Straße", "strasse"},
      {"ÖSTERREICH", "osterreich"}, {"Zebra", "zebra"}, {"a\xff", "a\xff"},
  };
  for (const auto& [name, key] : keys) EXPECT_EQ(GermanSortKey(name), key) << name;
}

}  // namespace
}  // namespace tavrek::setups
