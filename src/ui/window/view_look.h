#pragma once
// What the watch window's views share in look and feel: widths that grow
// with the font, tables that Tab leaves instead of walking cell by cell, and
// the columns of a view as the user arranged them.
#include <QString>
#include <functional>

#include "core/lists/export_types.h"
#include "core/window/dialog_template.h"

class QAbstractItemView;
class QFont;
class QHeaderView;
class QTableView;

namespace tavrek::ui {

// The font's dialog base units: its average letter width and its height.
window::DialogBaseUnits BaseUnits(const QFont& font);

// A width given for a font whose average letter is 6 pixels wide, widened
// alike for a wider font so that a time stays readable.
int Scaled(int pixels, const QFont& font);

// Tab moves on to the next control; cut texts show whole as tooltips.
void PrepareView(QAbstractItemView& view);
// A read-only table of whole rows with a context menu.
void PrepareTable(QTableView& view);

// The Delete key, while the view has the focus, runs `removeMarked` (what its
// menu's "Markierte entfernen" does).
void AddDeleteKey(QAbstractItemView& view, std::function<void()> removeMarked);

// Whether the view's current row is also selected. A model reset drops the
// selection without a signal, so the view itself is asked.
bool HasSelectedCurrentRow(const QAbstractItemView& view);

// The columns as the view shows them now: titles, widths, order.
lists::ListColumns LayoutOf(const QHeaderView& header);

// The export name of a list: the product name and what the list holds.
QString ExportName(const char* suffix);

}  // namespace tavrek::ui
