#pragma once
// The context menus of the change log, the simple access overview and the
// grouped access tree, as entries: texts, ids and states. The window turns
// them into a popup and acts on the id that comes back.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrek::window {

struct MenuEntry {
  int id = 0;  // 0: a separator
  std::string text;
  bool enabled = true;
  bool checked = false;
  bool isDefault = false;  // drawn bold; what a double click would do
};

enum class ListKind { Log, Access };

// The path as the menu shows it: "Kein Path markiert" when empty, the first
// 63 characters and " ..." when longer than 64 characters, else whole.
std::string ShownPath(std::string_view path);

// The list menu of the change log or the simple overview, for the path of
// the marked row as the file system knows it (empty: none). The menu shows
// the path escaped as the lists show it. A list whose rows name processes
// (the change log) passes the marked row's command name (empty: none known)
// and gets "Filter (Prozess: name)" too, disabled without a name.
std::vector<MenuEntry> ListMenu(std::string_view markedPath, bool gridLines,
                                std::optional<std::string_view> markedProcess = std::nullopt);

// The process filter pattern proposed for a command name: the name whole,
// or, when it holds a ";" (which separates patterns) or a byte that is no
// UTF-8, the name up to there followed by "*", which still matches it.
std::string ProcessPatternOf(std::string_view name);

// The filter pattern proposed for a path. A pattern is text, and a byte
// that is no UTF-8 cannot be typed or shown in one: the pattern is the path
// up to the first such byte, which as a prefix still matches the path.
std::string FilterPatternOf(std::string_view path);

struct TreeMenuNode {
  std::string name;   // the node's label
  bool isFolder = false;  // its path names an existing folder
};

// The tree menu; without a node under the point it holds the list entries only.
std::vector<MenuEntry> TreeMenu(const std::optional<TreeMenuNode>& node, bool gridLines,
                                bool transparentMarking);

// The levels an "Expand" entry opens (0 to 3, or every level), nothing for
// another id.
std::optional<int> ExpandLevels(int id);
inline constexpr int kExpandAllLevels = 256;

// The folder of a path: cut at its last "/" ("/a/b.txt" gives "/a",
// "/a.txt" gives "/"); a path without "/" is taken whole.
std::string ContainingFolder(std::string_view path);

}  // namespace tavrek::window
