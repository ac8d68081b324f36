#pragma once
// Colours and shapes of a tree list's rows: grid lines, the rounded selection
// mark and the bars of bar columns. Plain functions so that every list that
// groups its rows draws them alike.
#include <QColor>
#include <QRect>

class QPainter;

namespace tavrek::ui {

// The window colour darkened by 32/255 (each channel c becomes c * 223 / 255):
// visible on any background without competing with the texts.
QColor GridLineColour(const QColor& window);

// Each channel c becomes c + (255 - c) * 96 / 255.
QColor Lightened(const QColor& colour);

// Light green normally; dark green for the focused row outside full-row mode,
// where the label's own highlight already marks the row.
QColor BarColour(bool focusedRow);

// The rounded mark over a selected row in the selection colour and its light
// tint. A transparent mark keeps only the two outlines and leaves the pixels
// inside untouched.
void DrawSelectionMark(QPainter& painter, const QRect& rect, const QColor& selection,
                       bool transparent);

// A bar from the left edge of `cell` covering `percent` of its width; values
// outside 0..100 are clamped so that a bar never leaves its cell.
void DrawBar(QPainter& painter, const QRect& cell, double percent, const QColor& colour);

}  // namespace tavrek::ui
