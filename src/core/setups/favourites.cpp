#include "core/setups/favourites.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/platform/text_case.h"
#include "core/platform/visible_text.h"
#include "core/setups/setup_document.h"

namespace tavrek::setups {

std::string ChooseFolderPrompt(std::string_view productName) {
  return "Bitte wählen Sie einen Ordner für das Speichern der " + std::string(productName) +
         " Favoriten aus";
}

std::string NormaliseFavouritesFolder(std::string_view text) {
  if (text.empty()) return {};
  std::string folder;
  for (char c : std::string(text) + "/") {
    if (c == '/' && !folder.empty() && folder.back() == '/') continue;
    folder += c;
  }
  return folder;
}

bool FavouritesFolderUsable(const std::string& folder) {
  std::error_code error;
  return !folder.empty() && std::filesystem::is_directory(folder, error);
}

std::string DateName(const platform::SystemTime& time) {
  char text[64];
  std::snprintf(text, sizeof text, "%d.%02d.%02d %02d-%02d", time.day, time.month, time.year,
                time.hour, time.minute);
  return text;
}

std::string FavouritePath(std::string_view folder, std::string_view name) {
  return CompleteSetupExtension(NormaliseFavouritesFolder(folder) + std::string(name));
}

bool FavouriteNameUsable(std::string_view name) {
  constexpr std::string_view kNeverInAName("/\0", 2);
  return name != "." && name != ".." && name.find_first_of(kNeverInAName) == std::string_view::npos;
}

std::string UnusableFavouriteNameText(std::string_view name) {
  return "Fehler, der Name darf kein \"/\" enthalten und nicht \".\" oder \"..\" sein.\nInvalid name.\n" +
         platform::VisibleText(name);
}

std::string GermanSortKey(std::string_view name) {
  struct Letter {
    std::string_view from, to;
  };
  static constexpr Letter kLetters[] = {{"ä", "a"}, {"ö", "o"}, {"ü", "u"}, {"ß", "ss"}};
  const std::string lower = platform::LowerCase(name);
  std::string key;
  key.reserve(lower.size() + 1);
  for (size_t at = 0; at < lower.size();) {
    const Letter* match = nullptr;
    for (const Letter& letter : kLetters) {
      if (lower.compare(at, letter.from.size(), letter.from) == 0) match = &letter;
    }
    if (match) {
      key += match->to;
      at += match->from.size();
    } else {
      key += lower[at++];
    }
  }
  return key;
}

std::vector<FavouriteItem> ListFavourites(const std::string& folder) {
  std::vector<FavouriteItem> items;
  std::error_code error;
  std::filesystem::directory_iterator entries(folder, error);
  for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
    std::error_code kindError;
    items.push_back({entries->path().filename().string(), entries->path().string(),
                     entries->is_directory(kindError)});
  }
  std::sort(items.begin(), items.end(), [](const FavouriteItem& a, const FavouriteItem& b) {
    if (a.isFolder != b.isFolder) return a.isFolder;
    const std::string keyA = GermanSortKey(a.name);
    const std::string keyB = GermanSortKey(b.name);
    return keyA != keyB ? keyA < keyB : a.name < b.name;
  });
  return items;
}

int FavouriteIds::Add(std::string path) {
  paths_[next_] = std::move(path);
  return next_++;
}

const std::string* FavouriteIds::PathOf(int id) const {
  auto found = paths_.find(id);
  return found == paths_.end() ? nullptr : &found->second;
}

}  // namespace tavrek::setups
