#pragma once
// The start-help window: one list with the start help, a row per line.
#include <QWidget>

class QTableWidget;

namespace tavrek::ui {

class StartHelpWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kColumnWidth = 800;

  explicit StartHelpWindow(QWidget* parent = nullptr);

  QTableWidget* list() const { return list_; }

 private:
  QTableWidget* list_ = nullptr;
};

}  // namespace tavrek::ui
