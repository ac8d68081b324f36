#pragma once
// What every flat list of a watch window can do: fit its columns, switch its
// grid lines, delete its selected rows.
class QTableView;
class QAbstractItemView;

namespace tavrek::ui {

// Fits every column, from the last to the first, to its widest item text, and
// to its header text as well when asked.
void AutoSizeColumns(QTableView& view, bool withHeader);

// Switches the grid lines and returns the new state.
bool ToggleGridLines(QTableView& view);

// Removes the selected rows through the model, from the highest row to the
// lowest so that earlier removals do not shift the rows still to go. Returns
// how many rows were removed.
int DeleteSelectedRows(QAbstractItemView& view);

}  // namespace tavrek::ui
