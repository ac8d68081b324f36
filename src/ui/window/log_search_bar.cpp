#include "ui/window/log_search_bar.h"

#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTableView>
#include <QToolButton>
#include <algorithm>

#include "core/engine/change_log.h"
#include "ui/common/text.h"
#include "ui/window/change_log_model.h"

namespace tavrek::ui {
namespace {

// A slice of the search takes about this long, then the event loop runs.
constexpr qint64 kSliceMilliseconds = 10;
constexpr size_t kRowsPerStep = 4096;
constexpr int kFieldWidthInCharacters = 22;
constexpr int kNarrowestFieldInCharacters = 8;
constexpr int kStatusNoteMilliseconds = 5000;
constexpr int kGap = 6;
const QColor kFailureBase(0xff, 0xd6, 0xd6);
const QColor kFailureText(0xb0, 0x00, 0x00);

QToolButton* ArrowButton(Qt::ArrowType arrow, const QString& tip, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setArrowType(arrow);
  button->setToolTip(tip);
  button->setAutoRaise(true);
  // Tab reaches it; a click leaves the focus in the field.
  button->setFocusPolicy(Qt::TabFocus);
  return button;
}

// The note keeps its room, so the field does not move as the note changes.
int WidestNote(const QLabel& label) {
  QFont bold = label.font();
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  int widest = 0;
  for (const char* note : {kSearchNotFound, kSearchSearching, kSearchGoneOnAtTop, kSearchGoneOnAtBottom}) {
    widest = std::max(widest, metrics.horizontalAdvance(QString::fromUtf8(note)));
  }
  return widest + 2 * kGap;
}

}  // namespace

LogSearchBar::LogSearchBar(QTableView& view, ChangeLogModel& model, const engine::ChangeLog& log,
                           std::function<void()> flush, QWidget* parent)
    : QWidget(parent), view_(view), model_(model), log_(log), flush_(std::move(flush)) {
  field_ = new QLineEdit(this);
  field_->setPlaceholderText(QStringLiteral("Suchen (Strg+F)"));
  field_->setClearButtonEnabled(true);
  field_->setToolTip(QStringLiteral("Im Zugriffslog suchen: Enter/F3 weiter, Umschalt+Enter/Umschalt+F3 zurück"));
  field_->setMinimumWidth(field_->fontMetrics().averageCharWidth() * kNarrowestFieldInCharacters);
  field_->setMaximumWidth(field_->fontMetrics().averageCharWidth() * kFieldWidthInCharacters);
  field_->installEventFilter(this);
  previous_ = ArrowButton(Qt::UpArrow, QStringLiteral("Vorheriger Treffer (Umschalt+F3)"), this);
  next_ = ArrowButton(Qt::DownArrow, QStringLiteral("Nächster Treffer (F3)"), this);
  note_ = new QLabel(this);
  note_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  note_->setContentsMargins(0, 0, kGap, 0);
  note_->setMinimumWidth(WidestNote(*note_));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(note_);
  layout->addWidget(field_);
  layout->addWidget(previous_);
  layout->addWidget(next_);
  setFocusProxy(field_);
  slices_.setSingleShot(true);
  slices_.setInterval(0);
  connect(&slices_, &QTimer::timeout, this, &LogSearchBar::RunSlice);
  connect(previous_, &QToolButton::clicked, this, &LogSearchBar::FindPrevious);
  connect(next_, &QToolButton::clicked, this, &LogSearchBar::FindNext);
  connect(field_, &QLineEdit::textEdited, this, [this] { ShowNote({}, false); });
}

LogSearchBar::~LogSearchBar() = default;

std::vector<QWidget*> LogSearchBar::tabStops() const { return {field_, previous_, next_}; }

void LogSearchBar::AddShortcuts(QWidget& scope) {
  auto add = [&](QKeySequence::StandardKey key, void (LogSearchBar::*act)()) {
    auto* shortcut = new QShortcut(key, &scope);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, this, act);
  };
  add(QKeySequence::Find, &LogSearchBar::FocusField);
  add(QKeySequence::FindNext, &LogSearchBar::FindNext);
  add(QKeySequence::FindPrevious, &LogSearchBar::FindPrevious);
}

void LogSearchBar::PlaceBeside(const QWidget& toolbar, const QRect& list) {
  const int buttonsEnd = toolbar.x() + toolbar.sizeHint().width() + kGap;
  const int right = list.x() + list.width();
  // Where the row is short, the field keeps its room and the note goes: the
  // tinted field and the status bar still tell what it would say. Shorter
  // still, the arrows go too (F3 and Enter do what they do), rather than be
  // cut off at the edge.
  const int room = right - buttonsEnd;
  note_->show();
  previous_->show();
  next_->show();
  note_->setVisible(room >= sizeHint().width());
  const bool arrows = room >= minimumSizeHint().width();
  previous_->setVisible(arrows);
  next_->setVisible(arrows);
  const int width = std::min(sizeHint().width(), std::max(minimumSizeHint().width(), room));
  setGeometry(std::max(buttonsEnd, right - width), toolbar.y(), width, toolbar.height());
  raise();
}

void LogSearchBar::FocusField() {
  field_->setFocus(Qt::ShortcutFocusReason);
  field_->selectAll();
}

void LogSearchBar::Cancel() {
  slices_.stop();
  search_.reset();
  ShowNote({}, false);
}

bool LogSearchBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched != field_ || event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
    (key->modifiers() & Qt::ShiftModifier) ? FindPrevious() : FindNext();
    return true;
  }
  if (key->key() == Qt::Key_Escape) {
    Cancel();
    view_.setFocus(Qt::OtherFocusReason);
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

// The search begins beside the marked row, over the rows the view shows.
void LogSearchBar::Begin(engine::SearchDirection direction) {
  Cancel();
  const std::string text = ToUtf8(field_->text());
  if (text.empty()) {
    FocusField();  // F3 with nothing to find asks for the text
    return;
  }
  if (flush_) flush_();
  const QModelIndex current = view_.currentIndex();
  std::optional<size_t> from;
  if (current.isValid() && current.row() < model_.rowCount()) from = model_.LogIndex(current.row());
  direction_ = direction;
  search_ = std::make_unique<engine::LogSearch>(log_, text, static_cast<size_t>(model_.rowCount()), from,
                                                direction);
  RunSlice();
}

void LogSearchBar::RunSlice() {
  if (!search_) return;
  QElapsedTimer clock;
  clock.start();
  engine::LogSearchStep step;
  do {
    step = search_->Step(kRowsPerStep);
  } while (step.state == engine::LogSearchStep::State::kSearching && clock.elapsed() < kSliceMilliseconds);
  if (step.state != engine::LogSearchStep::State::kSearching) {
    Finish(step);
    return;
  }
  ShowNote(QString::fromUtf8(kSearchSearching), false);
  slices_.start();
}

void LogSearchBar::Finish(const engine::LogSearchStep& step) {
  search_.reset();
  if (step.state == engine::LogSearchStep::State::kNotFound) {
    ShowNote(QString::fromUtf8(kSearchNotFound), true);
    Tell(QString::fromUtf8(kSearchNotFound) + QStringLiteral(": ") + field_->text());
    return;
  }
  Select(step.row);
  const bool down = direction_ == engine::SearchDirection::kOlder;
  ShowNote(step.wrapped ? QString::fromUtf8(down ? kSearchGoneOnAtTop : kSearchGoneOnAtBottom) : QString(),
           false);
  if (step.wrapped) Tell(QString::fromUtf8(down ? kSearchWrappedDown : kSearchWrappedUp));
}

// Rows only ever grow at the top of the view while a search runs, so the
// log row is still at the same distance from the bottom.
void LogSearchBar::Select(size_t logRow) {
  const int shown = model_.rowCount();
  if (logRow >= static_cast<size_t>(shown)) return;
  const int row = shown - 1 - static_cast<int>(logRow);
  const int column = std::max(view_.currentIndex().column(), static_cast<int>(engine::kLogColumnTime));
  const QModelIndex found = model_.index(row, column);
  view_.selectionModel()->setCurrentIndex(found, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  // The row comes into sight; the columns stay where the user put them.
  const int across = view_.horizontalScrollBar()->value();
  view_.scrollTo(found, QAbstractItemView::PositionAtCenter);
  view_.horizontalScrollBar()->setValue(across);
}

void LogSearchBar::ShowNote(const QString& text, bool failure) {
  note_->setText(text);
  QPalette notePalette = palette();
  QPalette fieldPalette = palette();
  if (failure) {
    notePalette.setColor(QPalette::WindowText, kFailureText);
    fieldPalette.setColor(QPalette::Base, kFailureBase);
    fieldPalette.setColor(QPalette::Text, Qt::black);
  }
  note_->setPalette(notePalette);
  QFont bold = note_->font();
  bold.setBold(failure);
  note_->setFont(bold);
  field_->setPalette(fieldPalette);
}

void LogSearchBar::Tell(const QString& text) {
  emit statusNote(text);
  if (auto* frame = qobject_cast<QMainWindow*>(window())) {
    frame->statusBar()->showMessage(text, kStatusNoteMilliseconds);
  }
}

}  // namespace tavrek::ui
