#include "core/window/list_menu.h"

#include "core/app/command_ids.h"
#include "core/platform/utf8.h"
#include "core/platform/visible_text.h"

namespace tavrek::window {
namespace {

namespace cmd = app::command;
namespace entry = app::list_menu;

constexpr size_t kShownCharacters = 63;
constexpr size_t kLongestWhole = 64;
constexpr std::string_view kNoPath = "Kein Path markiert";
constexpr std::string_view kNoProcess = "Filter (Prozess)";
// What a filter dialog text gives a meaning: ";" separates patterns, "*" is
// the wildcard. A name taken from a row holds them as plain characters.
constexpr char kWildcard = '*';
constexpr std::string_view kPatternSyntax = ";*";

bool StartsCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }

// Byte offset after `count` UTF-8 characters, or npos when the text is shorter.
size_t OffsetAfterCharacters(std::string_view text, size_t count) {
  size_t seen = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!StartsCharacter(text[i])) continue;
    if (seen == count) return i;
    ++seen;
  }
  return std::string_view::npos;
}

// The "List" popup without "&Spalten Anpassen".
std::vector<MenuEntry> ListPopup(bool gridLines, bool exportIsDefault) {
  return {
      {cmd::kToggleGridLines, "&Linien anzeigen", true, gridLines, false},
      {cmd::kListExport, "Liste &Exportieren", true, false, exportIsDefault},
      {0, {}, true, false, false},
      {cmd::kFitColumnsWithHeader, "Spaltenbreite an Text anpassen (mit Spaltenkopf)", true, false,
       false},
      {cmd::kFitColumns, "Spaltenbreite an Text anpassen", true, false, false},
  };
}

MenuEntry Separator() { return {0, {}, true, false, false}; }

// A name inside an entry's text: its "&" is a letter, not a mnemonic mark.
std::string AsMenuText(std::string_view name) {
  std::string text;
  text.reserve(name.size());
  for (const char c : name) {
    if (c == '&') text += '&';
    text += c;
  }
  return text;
}

}  // namespace

std::string ShownPath(std::string_view path) {
  if (path.empty()) return std::string(kNoPath);
  if (OffsetAfterCharacters(path, kLongestWhole) == std::string_view::npos) return std::string(path);
  return std::string(path.substr(0, OffsetAfterCharacters(path, kShownCharacters))) + " ...";
}

std::vector<MenuEntry> ListMenu(std::string_view markedPath, bool gridLines,
                                std::optional<std::string_view> markedProcess) {
  std::vector<MenuEntry> entries = ListPopup(gridLines, true);
  const std::string shown = AsMenuText(ShownPath(platform::VisibleText(markedPath)));
  const bool marked = !markedPath.empty();
  entries.push_back({entry::kExplorePath, "Explore (" + shown + ")", marked, false, false});
  entries.push_back({entry::kFilterPath, "Filter (" + shown + ")", marked, false, false});
  if (markedProcess) {
    const bool named = !markedProcess->empty();
    const std::string shownProcess = AsMenuText(platform::VisibleText(*markedProcess));
    const std::string text = named ? "Filter (Prozess: " + shownProcess + ")" : std::string(kNoProcess);
    entries.push_back({entry::kFilterProcess, text, named, false, false});
  }
  return entries;
}

std::string ProcessPatternOf(std::string_view name) {
  const std::string literal = FilterPatternOf(name);
  if (literal.size() == name.size()) return literal;
  // A lone "*" would match every process.
  return literal.empty() ? std::string() : literal + std::string(1, kWildcard);
}

std::string FilterPatternOf(std::string_view path) {
  size_t position = 0;
  while (position < path.size() && kPatternSyntax.find(path[position]) == std::string_view::npos) {
    const platform::Utf8Sequence character = platform::DecodeUtf8At(path, position);
    // The dialog's field would show it as nothing, or reorder what follows.
    if (character.length == 0 || platform::EscapedWhenShown(character.codePoint)) break;
    position += character.length;
  }
  return std::string(path.substr(0, position));
}

std::vector<MenuEntry> TreeMenu(const std::optional<TreeMenuNode>& node, bool gridLines,
                                bool transparentMarking) {
  std::vector<MenuEntry> entries = ListPopup(gridLines, false);
  if (!node) return entries;
  entries.push_back({entry::kShowFiles, "Dateien anzeigen", true, false, false});
  entries.push_back({entry::kTransparentMarking, "Transparente Markierung", true, transparentMarking, false});
  entries.push_back(Separator());
  if (node->isFolder) {
    entries.push_back({entry::kScanNode, "Scann " + AsMenuText(node->name), true, false, true});
    entries.push_back({entry::kExploreNode, "Explore " + AsMenuText(node->name), true, false, false});
    entries.push_back(Separator());
  }
  for (int level = 0; level <= entry::kExpandLevel3 - entry::kExpandLevel0; ++level) {
    entries.push_back({entry::kExpandLevel0 + level, "Expand " + std::to_string(level) + " Level",
                       true, false, false});
  }
  entries.push_back({entry::kExpandAll, "Expand alle Level", true, false, false});
  return entries;
}

std::optional<int> ExpandLevels(int id) {
  if (id == entry::kExpandAll) return kExpandAllLevels;
  if (id >= entry::kExpandLevel0 && id <= entry::kExpandLevel3) return id - entry::kExpandLevel0;
  return std::nullopt;
}

std::string ContainingFolder(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string_view::npos) return std::string(path);
  return slash == 0 ? "/" : std::string(path.substr(0, slash));
}

}  // namespace tavrek::window
