#include "ui/app/frame_tab_bar.h"

#include <QDragEnterEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QSignalBlocker>

#include "core/app/frame_rules.h"
#include "ui/common/text.h"

namespace tavrek::ui {

FrameTabBar::FrameTabBar(QMdiArea& area, QWidget* parent) : QTabBar(parent), area_(area) {
  setMouseTracking(true);
  setAcceptDrops(true);
  setExpanding(false);
  setDocumentMode(true);
  setElideMode(Qt::ElideNone);
  connect(&area_, &QMdiArea::subWindowActivated, this, &FrameTabBar::OnWindowActivated);
  connect(this, &QTabBar::currentChanged, this, &FrameTabBar::OnCurrentChanged);
}

void FrameTabBar::AddWindow(QMdiSubWindow* window) {
  windows_.push_back(window);
  {
    const QSignalBlocker blocker(this);
    addTab(QString());
  }
  UpdateTab(window);
  connect(window, &QWidget::windowTitleChanged, this, [this, window] { UpdateTab(window); });
  connect(window, &QWidget::windowIconChanged, this, [this, window] { UpdateTab(window); });
  connect(window, &QObject::destroyed, this, &FrameTabBar::OnWindowDestroyed);
  if (area_.currentSubWindow() == window) OnWindowActivated(window);
}

void FrameTabBar::UpdateTab(QMdiSubWindow* window) {
  const int index = indexOf(window);
  if (index < 0) return;
  setTabText(index, ToQString(app::TabCaption(ToUtf8(window->windowTitle()))));
  setTabToolTip(index, window->windowTitle());
  // The icon is a widget of its own at the tab's left, so its rectangle, the
  // place where a double click closes, is known exactly.
  auto* icon = qobject_cast<QLabel*>(tabButton(index, QTabBar::LeftSide));
  if (!icon) {
    icon = new QLabel(this);
    icon->setAttribute(Qt::WA_TransparentForMouseEvents);
    icon->setFixedSize(iconSize());
    setTabButton(index, QTabBar::LeftSide, icon);
  }
  icon->setPixmap(window->windowIcon().pixmap(iconSize()));
}

QRect FrameTabBar::iconRect(int index) const {
  const QWidget* icon = tabButton(index, QTabBar::LeftSide);
  return icon ? icon->geometry() : QRect();
}

QMdiSubWindow* FrameTabBar::windowAt(int index) const {
  return index >= 0 && index < static_cast<int>(windows_.size()) ? windows_[static_cast<size_t>(index)]
                                                                  : nullptr;
}

int FrameTabBar::indexOf(const QMdiSubWindow* window) const {
  for (size_t index = 0; index < windows_.size(); ++index) {
    if (windows_[index] == window) return static_cast<int>(index);
  }
  return -1;
}

void FrameTabBar::OnWindowActivated(QMdiSubWindow* window) {
  const int index = indexOf(window);
  if (index < 0) return;
  const QSignalBlocker blocker(this);
  setCurrentIndex(index);
}

void FrameTabBar::OnCurrentChanged(int index) {
  if (QMdiSubWindow* window = windowAt(index)) area_.setActiveSubWindow(window);
}

// The window is half gone: only its address is compared.
void FrameTabBar::OnWindowDestroyed(QObject* window) {
  for (size_t index = 0; index < windows_.size(); ++index) {
    if (static_cast<QObject*>(windows_[index]) != window) continue;
    windows_.erase(windows_.begin() + static_cast<std::ptrdiff_t>(index));
    const QSignalBlocker blocker(this);
    removeTab(static_cast<int>(index));
    break;
  }
  OnWindowActivated(area_.currentSubWindow());
}

bool FrameTabBar::InIconArea(int index, const QPoint& position) const {
  return iconRect(index).contains(position);
}

void FrameTabBar::DoubleClickAt(const QPoint& position) {
  const int index = tabAt(position);
  QMdiSubWindow* window = windowAt(index);
  if (!window) return;
  if (InIconArea(index, position)) {
    window->close();
    return;
  }
  QMdiSubWindow* active = area_.currentSubWindow();
  if (!active) return;
  if (active->isMaximized()) {
    active->showNormal();
  } else {
    active->showMaximized();
  }
}

void FrameTabBar::mouseDoubleClickEvent(QMouseEvent* event) {
  DoubleClickAt(event->position().toPoint());
  event->accept();
}

void FrameTabBar::mouseMoveEvent(QMouseEvent* event) {
  const QPoint position = event->position().toPoint();
  const int index = tabAt(position);
  if (QMdiSubWindow* window = windowAt(index)) {
    emit statusText(InIconArea(index, position) ? ToQString(app::kTabCloseHint)
                                                : window->windowTitle());
  } else {
    emit statusText(QString());  // beside the tabs
  }
  QTabBar::mouseMoveEvent(event);
}

void FrameTabBar::leaveEvent(QEvent* event) {
  emit statusText(QString());
  QTabBar::leaveEvent(event);
}

void FrameTabBar::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void FrameTabBar::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData()->hasUrls() && tabAt(event->position().toPoint()) >= 0) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void FrameTabBar::dropEvent(QDropEvent* event) {
  if (!event->mimeData()->hasUrls()) return;
  if (DropAt(event->position().toPoint(), event->mimeData()->urls())) event->acceptProposedAction();
}

bool FrameTabBar::DropAt(const QPoint& position, const QList<QUrl>& urls) {
  QMdiSubWindow* window = windowAt(tabAt(position));
  if (!window) return false;
  if (area_.currentSubWindow() != window) area_.setActiveSubWindow(window);
  emit filesDropped(window, urls);
  return true;
}

}  // namespace tavrek::ui
