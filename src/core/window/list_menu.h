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

// The filter pattern proposed for a path, a prefix of it that matches the
// path and nothing that does not begin with that prefix: the path up to its
// first ";" or "*" (a name may hold them, a dialog text would read them as a
// separator and a wildcard), its first byte that is no UTF-8 (which no
// pattern text can hold) or its first control or invisible format character
// (which the dialog's field would show as nothing, or use to reorder the
// text after it).
std::string FilterPatternOf(std::string_view path);

// The process filter pattern proposed for a command name: the name whole (a
// process pattern without "*" matches the whole name only), or, when it holds
// such a character or byte, the name up to there followed by "*", which still
// matches it; empty when nothing is left before it.
std::string ProcessPatternOf(std::string_view name);

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
