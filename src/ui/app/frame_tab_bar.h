#pragma once
// The frame's tab bar: one tab per window of the MDI area, kept in step with
// it. A double click on a tab's icon closes its window, elsewhere it
// maximises or restores; hovering tells the status bar the full caption, and
// an empty text when the mouse is on no tab any more; files dropped on a tab
// go to that tab's window.
#include <QTabBar>
#include <QUrl>
#include <vector>

class QMdiArea;
class QMdiSubWindow;

namespace tavrek::ui {

class FrameTabBar : public QTabBar {
  Q_OBJECT

 public:
  explicit FrameTabBar(QMdiArea& area, QWidget* parent = nullptr);

  // Adds the window's tab; the tab goes when the window is destroyed.
  void AddWindow(QMdiSubWindow* window);
  // Shows the window's current caption and icon on its tab.
  void UpdateTab(QMdiSubWindow* window);
  QMdiSubWindow* windowAt(int index) const;
  // Where a tab's icon lies in the bar: a double click there closes the window.
  QRect iconRect(int index) const;
  int indexOf(const QMdiSubWindow* window) const;

  // The double-click rule, for a point in the bar's coordinates.
  void DoubleClickAt(const QPoint& position);
  // Hands files dropped at a point to that tab's window, activated first;
  // false when the point holds no tab.
  bool DropAt(const QPoint& position, const QList<QUrl>& urls);

 signals:
  void statusText(const QString& text);
  void filesDropped(QMdiSubWindow* window, const QList<QUrl>& urls);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  bool InIconArea(int index, const QPoint& position) const;
  void OnWindowActivated(QMdiSubWindow* window);
  void OnCurrentChanged(int index);
  void OnWindowDestroyed(QObject* window);

  QMdiArea& area_;
  std::vector<QMdiSubWindow*> windows_;  // in tab order
};

}  // namespace tavrek::ui
