#include "ui/window/watch_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QTableWidget>
#include <QToolBar>

#include "core/app/command_ids.h"
#include "core/app/control_ids.h"
#include "core/app/settings_store.h"
#include "core/engine/option_table.h"
#include "core/lists/change_log_columns.h"
#include "core/window/command_states.h"
#include "core/window/option_column.h"
#include "core/window/view_settings.h"
#include "core/window/window_layout.h"
#include "ui/common/text.h"
#include "ui/lists/tree_list.h"
#include "ui/window/access_view_controller.h"
#include "ui/window/change_log_model.h"
#include "ui/window/control_states.h"
#include "ui/window/filter_list_controller.h"
#include "ui/window/folder_list_controller.h"
#include "ui/window/log_search_bar.h"
#include "ui/window/session_bridge.h"
#include "ui/window/tab_cycle.h"
#include "ui/window/top_insert_anchor.h"
#include "ui/window/view_look.h"

namespace tavrek::ui {
namespace {

namespace id = app::control;
namespace cmd = app::command;

constexpr int kIconSize = 32;
const QSize kRowIconSize(16, 15);

// A box keeps its place; when its text does not fit the template width in this
// font, the text gets a slightly smaller font rather than being cut.
constexpr int kSmallestFontPercent = 75;
constexpr int kFontStepPercent = 5;
void FitTextToWidth(QWidget& widget) {
  const QFont original = widget.font();
  for (int percent = 100 - kFontStepPercent;
       widget.sizeHint().width() > widget.width() && percent >= kSmallestFontPercent;
       percent -= kFontStepPercent) {
    QFont smaller = original;
    smaller.setPointSizeF(original.pointSizeF() * percent / 100.0);
    widget.setFont(smaller);
  }
}

QRect ToQRect(const window::Rect& rect) { return {rect.x, rect.y, rect.width, rect.height}; }
window::Rect FromQRect(const QRect& rect) { return {rect.x(), rect.y(), rect.width(), rect.height()}; }

// Rows a list keeps in sight in a low window: the log enough to follow the
// changes, the access overview above it one, besides its header and scroll bar.
constexpr int kLogRowsKept = 6;
constexpr int kAccessRowsKept = 1;

int ListHeight(const QTableView& list, int rows) {
  return list.horizontalHeader()->sizeHint().height() +
         list.horizontalScrollBar()->sizeHint().height() +
         rows * list.verticalHeader()->defaultSectionSize() + 2 * list.frameWidth();
}

// A toolbar never hides a button behind its overflow arrow.
QRect WideEnough(QRect place, const QWidget& toolbar) {
  place.setWidth(std::max(place.width(), toolbar.sizeHint().width()));
  return place;
}

}  // namespace

WatchWindow::WatchWindow(WatchWindowContext context, QWidget* parent)
    : QWidget(parent), context_(std::move(context)) {
  engine::SessionSettings settings;
  settings.backend = context_.backend;
  settings.openFiles = context_.openFiles;
  // No wake-up: the bridge's tick takes what the sources handed over.
  session_ = std::make_unique<engine::WatchSession>(std::move(settings));
  bridge_ = new SessionBridge(*session_, this);

  CreateTemplateControls();
  CreateToolbars();
  CreateControllers();
  CreateViews();
  ConnectBridge();
  CreateLogSearch();
  SetTabOrder();
  if (context_.registry) {
    RestoreControlStates(*context_.registry, controls_);
    session_->SetOptions(RestoreOptionStates(*context_.registry, session_->options()));
  }
  RefreshCommandStates();
  bridge_->TellAll();  // the views show the session as it starts
}

WatchWindow::~WatchWindow() {
  if (context_.registry) {
    SaveControlStates(*context_.registry, controls_);
    SaveOptionStates(*context_.registry, session_->options());
  }
  // The views and the bridge point into the session; they go first, then the
  // session joins its sources.
  delete log_;
  delete access_;
  delete bridge_;
  session_.reset();
}

QWidget* WatchWindow::AddControl(int controlId, QWidget* widget) {
  widget->setProperty(kControlIdProperty, controlId);
  if (controlId != id::kNoId) controls_[controlId] = widget;
  return widget;
}

QWidget* WatchWindow::Control(int controlId) const {
  auto it = controls_.find(controlId);
  return it == controls_.end() ? nullptr : it->second;
}

QAction* WatchWindow::ToolbarAction(int command) const {
  auto it = actions_.find(command);
  return it == actions_.end() ? nullptr : it->second;
}

void WatchWindow::CreateTemplateControls() {
  const window::DialogBaseUnits base = BaseUnits(font());
  const int listsLeft = window::FindTemplateControl(id::kAccessList)->dialogUnits.x;
  for (const window::TemplateControl& control : window::WatchWindowTemplate()) {
    // The change log and the access list are views over the session, made later.
    if (control.id == id::kChangeLog || control.id == id::kAccessList) continue;
    const QString text = ToQString(control.text);
    QWidget* widget = nullptr;
    switch (control.type) {
      case window::ControlClass::kPushButton: widget = new QPushButton(text, this); break;
      case window::ControlClass::kGroupBox: widget = new QGroupBox(text, this); break;
      case window::ControlClass::kCheckBox: widget = new QCheckBox(text, this); break;
      case window::ControlClass::kStatic: widget = new QLabel(text, this); break;
      case window::ControlClass::kListView: widget = new QTableWidget(this); break;
      case window::ControlClass::kLine: {
        auto* line = new QFrame(this);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        widget = line;
        break;
      }
      case window::ControlClass::kIcon: {
        auto* icon = new QLabel(this);
        icon->setPixmap(style()->standardIcon(QStyle::SP_DirIcon).pixmap(kIconSize));
        widget = icon;
        break;
      }
    }
    AddControl(control.id, widget)->setGeometry(ToQRect(window::ToPixels(control.dialogUnits, base)));
    if (control.type == window::ControlClass::kGroupBox) widget->lower();
    if (control.dialogUnits.right() < listsLeft) {
      const bool group = control.type == window::ControlClass::kGroupBox;
      column_.push_back({control.dialogUnits, widget, group});
    }
  }
  CreateOptionBoxes();
  auto* systemLine = static_cast<QLabel*>(Control(id::kSystemLine));
  systemLine->setText(QStringLiteral("Betriebssystem:\n") + ToQString(context_.systemText));
  systemLine->setWordWrap(true);
  startStop_ = static_cast<QPushButton*>(Control(id::kStartStop));
  connect(startStop_, &QPushButton::clicked, this, [this] { HandleCommand(cmd::kStartStop); });
  folderButton_ = static_cast<QPushButton*>(Control(id::kFolderMenuButton));
  connect(folderButton_, &QPushButton::clicked, this, [this] { HandleCommand(cmd::kFolderMenu); });
}

void WatchWindow::CreateOptionBoxes() {
  for (const engine::WatchOption& option : engine::kWatchOptionTable) {
    const int boxId = option.boxId;
    auto* box = static_cast<QCheckBox*>(Control(boxId));
    optionBoxes_[boxId] = box;
    FitTextToWidth(*box);
    connect(box, &QCheckBox::clicked, this, [this, boxId] { HandleCommand(boxId); });
  }
}

QToolBar* WatchWindow::CreateToolbar(int toolbarId,
                                     const std::vector<std::pair<int, const char*>>& buttons) {
  auto* toolbar = new QToolBar(this);
  toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  toolbar->setMovable(false);
  toolbar->setFloatable(false);
  for (const auto& [command, text] : buttons) {
    QAction* action = toolbar->addAction(QString::fromUtf8(text));
    action->setData(command);
    actions_[command] = action;
    connect(action, &QAction::triggered, this, [this, command] { HandleCommand(command); });
  }
  AddControl(toolbarId, toolbar);
  return toolbar;
}

void WatchWindow::CreateToolbars() {
  accessToolbar_ = CreateToolbar(id::kAccessToolbar, {{cmd::kAccessView, "Ansicht"},
                                                      {cmd::kAccessReset, "Reset"},
                                                      {cmd::kAccessExport, "Export"},
                                                      {cmd::kAccessExploreSelect, "Explore && markiere"},
                                                      {cmd::kAccessExplore, "Explore"}});
  logToolbar_ = CreateToolbar(id::kLogToolbar, {{cmd::kLogReset, "Zugriffslog Reset"},
                                                {cmd::kLogExport, "Export"},
                                                {cmd::kLogExploreSelect, "Explore && markiere"},
                                                {cmd::kLogExplore, "Explore"}});
  filterToolbar_ = CreateToolbar(id::kFilterToolbar, {{cmd::kLogFilterMenu, "Diese Dateien nicht Protokollieren"},
                                                      {cmd::kLogFilterSpare, ""}});
  filterToolbar_->hide();
  for (int command : {cmd::kLogExploreSelect, cmd::kLogExplore, cmd::kAccessExploreSelect,
                      cmd::kAccessExplore}) {
    actions_[command]->setEnabled(false);
  }
}

void WatchWindow::CreateControllers() {
  folders_ = new FolderListController(*this, *static_cast<QTableWidget*>(Control(id::kFolderList)), *session_,
                                      *bridge_, context_.localDrives);
  FilterControls filterControls{static_cast<QTableWidget*>(Control(id::kFilterList)),
                                static_cast<QLabel*>(Control(id::kFilteredCount)), filterToolbar_,
                                actions_.at(cmd::kLogFilterMenu)};
  filters_ = new FilterListController(*this, filterControls, *session_, *bridge_, context_.settings);
  access_ = new AccessViewController(*this, {accessToolbar_, actions_.at(cmd::kAccessView)}, *session_, *bridge_,
                                     context_.settings);
  connect(access_, &AccessViewController::statesChanged, this, &WatchWindow::RefreshCommandStates);
  connect(access_, &AccessViewController::currentPathChanged, this, &WatchWindow::currentPathChanged);
  connect(access_, &AccessViewController::filterRequested, filters_, &FilterListController::OpenFilterDialog);
  connect(access_, &AccessViewController::commandPassed, this, [this](int command) { HandleCommand(command); });
}

// The change log is the window's own view; the template's list controls only
// gave the places, which the views take over.
void WatchWindow::CreateViews() {
  log_ = new QTableView(this);
  logModel_ = new ChangeLogModel(session_->log(), this);
  for (auto [controlId, view] : {std::pair<int, QWidget*>{id::kChangeLog, log_},
                                 {id::kAccessList, access_->list()}}) {
    const window::TemplateControl* control = window::FindTemplateControl(controlId);
    view->setGeometry(ToQRect(window::ToPixels(control->dialogUnits, BaseUnits(font()))));
    AddControl(controlId, view);
  }
  access_->tree()->setGeometry(access_->list()->geometry());
  log_->setModel(logModel_);
  PrepareTable(*log_);
  log_->horizontalHeader()->setSectionsMovable(true);
  log_->setIconSize(kRowIconSize);
  for (int column = 0; column < engine::kLogColumnCount; ++column) {
    log_->setColumnWidth(column, Scaled(lists::kChangeLogColumns[static_cast<size_t>(column)].width, font()));
  }
  log_->setShowGrid(window::ViewSettings::Load(context_.settings).logGridLines);
  ConnectLogMenu();
  connect(log_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { OnSelectedLogRow(current); });
  // The explore commands follow the selected row as it changes.
  connect(log_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &WatchWindow::RefreshCommandStates);
  connect(log_->selectionModel(), &QItemSelectionModel::currentChanged, this, &WatchWindow::RefreshCommandStates);
}

// Tab goes in reading order: the buttons and boxes of the left column, the
// folder and filter lists, then each list's toolbar before the list, the
// search field and its buttons between the log's toolbar and the log.
void WatchWindow::SetTabOrder() {
  std::vector<QWidget*> chain{folderButton_, startStop_};
  for (const auto& [boxId, box] : optionBoxes_) chain.push_back(box);
  chain.insert(chain.end(), {folders_->list(), filters_->list()});
  auto addToolbar = [&](QToolBar* toolbar) {
    for (QAction* action : toolbar->actions()) {
      QWidget* button = toolbar->widgetForAction(action);
      if (!button) continue;
      button->setFocusPolicy(Qt::TabFocus);
      chain.push_back(button);
    }
  };
  addToolbar(accessToolbar_);
  chain.insert(chain.end(), {access_->tree(), access_->list()});
  addToolbar(logToolbar_);
  for (QWidget* stop : searchBar_->tabStops()) chain.push_back(stop);
  chain.push_back(log_);
  for (size_t at = 1; at < chain.size(); ++at) setTabOrder(chain[at - 1], chain[at]);
  tabStops_ = std::move(chain);
}

bool WatchWindow::focusNextPrevChild(bool next) {
  return MoveFocusAlong(tabStops_, next) || QWidget::focusNextPrevChild(next);
}

void WatchWindow::ConnectBridge() {
  connect(bridge_, &SessionBridge::logCleared, logModel_, &ChangeLogModel::Reset);
  connect(bridge_, &SessionBridge::logRowsAppended, this, &WatchWindow::OnLogRowsAppended);
  connect(bridge_, &SessionBridge::watchingChanged, this, &WatchWindow::RefreshStartStop);
  connect(bridge_, &SessionBridge::watchingChanged, this, &WatchWindow::RefreshCommandStates);
  // The states follow the setup, and a reset, which removes the selected row
  // without a current-row signal.
  for (auto signal : {&SessionBridge::setupChanged, &SessionBridge::logCleared,
                      &SessionBridge::accessStatisticsCleared}) {
    connect(bridge_, signal, this, &WatchWindow::RefreshCommandStates);
  }
}

void WatchWindow::OnLogRowsAppended() {
  const TopInsertAnchor anchor(*log_);
  const size_t shown = static_cast<size_t>(logModel_->rowCount());
  const size_t added = logModel_->Flush();
  // A log that shrank was shown afresh from the top; there is nothing to keep.
  if (added > 0 && static_cast<size_t>(logModel_->rowCount()) == shown + added) anchor.Restore(*log_, added);
}

void WatchWindow::OnSelectedLogRow(const QModelIndex& current) {
  selectedLogRow_ = current.isValid() ? current.row() : -1;
  RefreshCommandStates();
  if (selectedLogRow_ >= 0) emit currentPathChanged(logModel_->Path(selectedLogRow_));
}

void WatchWindow::RefreshCommandStates() {
  window::WindowSituation situation;
  situation.grouped = access_->grouped();
  situation.treeNodeSelected = access_->treeNodeSelected();
  situation.accessRowSelected = access_->listRowSelected();
  situation.logRowSelected = HasSelectedCurrentRow(*log_);
  situation.watching = session_->watching();
  situation.options = session_->options();
  for (const auto& [command, state] : window::CommandStates(situation)) {
    if (QAction* action = ToolbarAction(command)) action->setEnabled(state.enabled);
    if (auto box = optionBoxes_.find(command); box != optionBoxes_.end()) {
      box->second->setEnabled(state.enabled);
      box->second->setChecked(state.checked);
    }
  }
}

void WatchWindow::FlushViews() { bridge_->Tick(); }

void WatchWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ApplyLayout();
}

void WatchWindow::ApplyLayout() {
  if (!log_) return;
  const window::DialogBaseUnits base = BaseUnits(font());
  window::LayoutInput input;
  input.width = width();
  input.height = height();
  input.edge = style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
  input.accessLabel = window::ToPixels(window::FindTemplateControl(id::kAccessLabel)->dialogUnits, base);
  QTableView& accessList = *access_->list();
  input.accessList = FromQRect(accessList.geometry());
  input.folderList = FromQRect(folders_->list()->geometry());
  input.toolbarHeight =
      std::max(accessToolbar_->sizeHint().height(), logToolbar_->sizeHint().height());
  input.accessToolbarWidth = accessToolbar_->sizeHint().width();
  input.minimumLogHeight = ListHeight(*log_, kLogRowsKept);
  input.minimumAccessHeight = ListHeight(accessList, kAccessRowsKept);
  const window::WindowLayout layout = window::ComputeLayout(input);
  PlaceOptionColumn();

  Control(id::kAccessLabel)->hide();
  accessToolbar_->setGeometry(WideEnough(ToQRect(layout.accessToolbar), *accessToolbar_));
  accessList.setGeometry(ToQRect(layout.accessList));
  access_->tree()->setGeometry(ToQRect(layout.accessList));
  log_->setGeometry(ToQRect(layout.changeLog));
  Control(id::kLogLabel)->setGeometry(ToQRect(layout.logLabel));
  Control(id::kLogLabel)->hide();
  logToolbar_->setGeometry(WideEnough(ToQRect(layout.logToolbar), *logToolbar_));
  if (searchBar_) searchBar_->PlaceBeside(*logToolbar_, log_->geometry());
  folders_->list()->setGeometry(ToQRect(layout.folderList));
  filters_->list()->setGeometry(ToQRect(layout.filterList));
  Control(id::kFilteredCount)->setGeometry(ToQRect(layout.filteredCount));
  filterToolbar_->setGeometry(ToQRect(layout.filterToolbar));
}

// In a low window the option column closes up rather than being cut.
void WatchWindow::PlaceOptionColumn() {
  const window::DialogBaseUnits base = BaseUnits(font());
  std::vector<window::ColumnControl> controls;
  for (const ColumnEntry& entry : column_) {
    controls.push_back({window::ToPixels(entry.dialogUnits, base), entry.group, true});
  }
  int lowest = 0;
  const std::vector<window::ColumnControl> placed =
      window::PlaceOptionColumn(controls, height(), &lowest);
  // Below that height an option box would be cut: the frame's area scrolls instead.
  if (minimumHeight() != lowest) setMinimumHeight(lowest);
  for (size_t i = 0; i < placed.size(); ++i) {
    column_[i].widget->setGeometry(ToQRect(placed[i].rect));
    column_[i].widget->setVisible(placed[i].shown);
  }
}

}  // namespace tavrek::ui
