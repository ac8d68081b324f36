#pragma once
// The search field over the change log: finds the next or previous row that
// holds a text in any column, letter case aside, and selects it. The search
// runs in the core over the log's rows, in slices short enough that the
// window stays responsive on a log of millions of rows. Ctrl+F puts the
// cursor into the field; Enter and F3 find the next row (downwards, towards
// older rows), Shift+Enter and Shift+F3 the previous one; past the end the
// search goes on at the other end and says so.
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "core/engine/log_search.h"

class QLabel;
class QLineEdit;
class QTableView;
class QToolButton;

namespace tavrek::ui {

class ChangeLogModel;

inline constexpr char kSearchNotFound[] = "Nicht gefunden";
inline constexpr char kSearchSearching[] = "Suche ...";
inline constexpr char kSearchGoneOnAtTop[] = "oben fortgesetzt";
inline constexpr char kSearchGoneOnAtBottom[] = "unten fortgesetzt";
inline constexpr char kSearchWrappedDown[] = "Ende des Logs erreicht, oben fortgesetzt";
inline constexpr char kSearchWrappedUp[] = "Anfang des Logs erreicht, unten fortgesetzt";

class LogSearchBar : public QWidget {
  Q_OBJECT

 public:
  // `flush` brings the view up to the log before a search takes its rows.
  LogSearchBar(QTableView& view, ChangeLogModel& model, const engine::ChangeLog& log,
               std::function<void()> flush, QWidget* parent);
  ~LogSearchBar() override;

  // Ctrl+F, F3 and Shift+F3 wherever the focus is inside `scope`.
  void AddShortcuts(QWidget& scope);
  // At the right end of the toolbar's row, never over its buttons; narrower
  // when the list leaves less room.
  void PlaceBeside(const QWidget& toolbar, const QRect& list);

  void FindNext() { Begin(engine::SearchDirection::kOlder); }
  void FindPrevious() { Begin(engine::SearchDirection::kNewer); }
  void FocusField();
  // Ends a running search: the log it looks at was cleared.
  void Cancel();
  bool searching() const { return search_ != nullptr; }

  QLineEdit* field() const { return field_; }
  // What Tab visits, in order: the field, then the previous and next buttons.
  std::vector<QWidget*> tabStops() const;
  // What the bar itself says: "Nicht gefunden", "Suche ...", or where it went on.
  QLabel* noteLabel() const { return note_; }

 signals:
  // A note for the status bar: the search wrapped, or found nothing.
  void statusNote(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Begin(engine::SearchDirection direction);
  void RunSlice();
  void Finish(const engine::LogSearchStep& step);
  void Select(size_t logRow);
  void ShowNote(const QString& text, bool failure);
  void Tell(const QString& text);

  QTableView& view_;
  ChangeLogModel& model_;
  const engine::ChangeLog& log_;
  std::function<void()> flush_;
  QLineEdit* field_ = nullptr;
  QToolButton* previous_ = nullptr;
  QToolButton* next_ = nullptr;
  QLabel* note_ = nullptr;
  std::unique_ptr<engine::LogSearch> search_;
  engine::SearchDirection direction_ = engine::SearchDirection::kOlder;
  QTimer slices_;
};

}  // namespace tavrek::ui
