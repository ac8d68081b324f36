#pragma once
// New rows come in at the top of the change log. A user reading further down,
// or with a row selected (by hand or by the search), must not see the log
// move: the rows on screen stay where they are and the new ones pile up above
// them, out of sight. Only a view at the top with nothing selected follows the
// newest rows. Taking and restoring the anchor costs the same however many
// rows the log holds.
#include <cstddef>

class QTableView;

namespace tavrek::ui {

class TopInsertAnchor {
 public:
  // Taken before the rows are announced to the view.
  explicit TopInsertAnchor(const QTableView& view);
  // After `added` rows were inserted above row 0.
  void Restore(QTableView& view, size_t added) const;

 private:
  bool followNewest_ = true;
  int scrolled_ = 0;
};

}  // namespace tavrek::ui
