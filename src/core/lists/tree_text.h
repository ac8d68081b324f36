#pragma once
// A tree list as text: a header line of the column titles, then every visible
// item depth first (children only under an expanded item), each line the
// item's prefix and its texts column by column, each text followed by a TAB.
#include <functional>
#include <string>
#include <string_view>

#include "core/lists/export_types.h"

namespace tavrek::lists {

// Levels whose "a sibling follows" mark is kept; deeper levels count as
// having no following sibling.
inline constexpr size_t kTrackedTreeLevels = 256;

// Gets the header line first, then one line per visible item, without line
// ends; returns false to stop. Texts are written as the window shows them
// (AppendShownText), so none breaks a field or a line.
using TreeLineVisitor = std::function<bool(std::string_view line)>;
void VisitTreeLines(const TreeListSource& tree, const TreeLineVisitor& visit);

// The whole text: the header line ends with LF, every item line with CR LF.
std::string RenderTreeText(const TreeListSource& tree);

}  // namespace tavrek::lists
