#include "ui/window/watch_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QTableWidget>
#include <QToolBar>

#include "core/app/command_ids.h"
#include "core/app/control_ids.h"
#include "core/app/settings_store.h"
#include "core/engine/file_filter.h"
#include "core/engine/option_table.h"
#include "core/lists/change_log_columns.h"
#include "core/window/command_states.h"
#include "core/window/view_settings.h"
#include "core/window/window_layout.h"
#include "ui/common/text.h"
#include "ui/lists/cut_text_tips.h"
#include "ui/lists/tree_list.h"
#include "ui/window/access_overview_model.h"
#include "ui/window/access_tree_model.h"
#include "ui/window/change_log_model.h"
#include "ui/window/control_states.h"
#include "ui/window/log_search_bar.h"
#include "ui/window/session_bridge.h"

namespace tavrek::ui {
namespace {

namespace id = app::control;
namespace cmd = app::command;

constexpr int kIconSize = 32;
constexpr int kFolderColumnWidth = 300;
constexpr int kFilterPatternWidth = 100;
constexpr int kFilterTypeWidth = 140;
constexpr int kImageColumnWidth = 30;
constexpr int kNameColumnWidth = 170;
constexpr int kSlotColumnWidth = 80;

window::DialogBaseUnits BaseUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const int average = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
  return {average, metrics.height()};
}

// Column widths are given for a font whose average character is 6 pixels
// wide; a wider font widens them alike so that a time stays readable.
constexpr int kReferenceCharWidth = 6;
constexpr int kSmallestFontPercent = 75;
constexpr int kFontStepPercent = 5;

// The filter list's type column shows the longer of its two texts whole.
constexpr int kCellPadding = 16;
int FilterTypeTextWidth(const QWidget& list) {
  const QFontMetrics metrics(list.font());
  return kCellPadding + std::max(metrics.horizontalAdvance(ToQString(engine::kFilterTypeExclude)),
                                 metrics.horizontalAdvance(ToQString(engine::kFilterTypeInclude)));
}

int Scaled(int pixels, const QFont& font) {
  return std::max(pixels, pixels * BaseUnits(font).averageCharWidth / kReferenceCharWidth);
}

// A box keeps its place; when its text does not fit the template width in this
// font, the text gets a slightly smaller font rather than being cut.
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

// A toolbar never hides a button behind its overflow arrow.
QRect WideEnough(QRect place, const QWidget& toolbar) {
  place.setWidth(std::max(place.width(), toolbar.sizeHint().width()));
  return place;
}

// Tab moves on to the next control instead of from cell to cell.
void PrepareView(QAbstractItemView& view) {
  view.setTabKeyNavigation(false);
  view.setItemDelegate(new CutTextTipDelegate(&view));
}

void PrepareTable(QTableView& view) {
  PrepareView(view);
  view.setSelectionBehavior(QAbstractItemView::SelectRows);
  view.setEditTriggers(QAbstractItemView::NoEditTriggers);
  view.verticalHeader()->hide();
  view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view.verticalHeader()->setDefaultSectionSize(view.fontMetrics().height() + 4);
  view.horizontalHeader()->setHighlightSections(false);
  view.setWordWrap(false);
  view.setContextMenuPolicy(Qt::CustomContextMenu);
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
  CreateAccessViews();
  ApplyViewSettings();
  ConnectSelections();
  ConnectBridge();
  SetTabOrder();
  CreateLogSearch();
  if (context_.registry) {
    RestoreControlStates(*context_.registry, controls_);
    session_->SetOptions(RestoreOptionStates(*context_.registry, session_->options()));
  }
  ShowGroupedOrSimple();
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
  delete accessList_;
  delete tree_;
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
  }
  CreateOptionBoxes();
  CreateLists();
  systemLine_ = static_cast<QLabel*>(Control(id::kSystemLine));
  systemLine_->setText(QStringLiteral("Betriebssystem:\n") + ToQString(context_.systemText));
  systemLine_->setWordWrap(true);
  filteredCount_ = static_cast<QLabel*>(Control(id::kFilteredCount));
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

void WatchWindow::CreateLists() {
  folderList_ = static_cast<QTableWidget*>(Control(id::kFolderList));
  folderList_->setColumnCount(1);
  folderList_->setHorizontalHeaderLabels({QStringLiteral("Zu überwachende(r) Ordner")});
  folderList_->setColumnWidth(0, Scaled(kFolderColumnWidth, font()));
  filterList_ = static_cast<QTableWidget*>(Control(id::kFilterList));
  filterList_->setColumnCount(2);
  filterList_->setHorizontalHeaderLabels({QStringLiteral("Filter"), QStringLiteral("Typ")});
  filterList_->setColumnWidth(0, Scaled(kFilterPatternWidth, font()));
  filterList_->setColumnWidth(1, std::max(Scaled(kFilterTypeWidth, font()), FilterTypeTextWidth(*filterList_)));
  // The patterns take the room left, and never less than half their width.
  filterList_->horizontalHeader()->setMinimumSectionSize(Scaled(kFilterPatternWidth, font()) / 2);
  filterList_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  for (QTableWidget* list : {folderList_, filterList_}) {
    PrepareTable(*list);
    list->setShowGrid(true);
  }
  connect(folderList_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    ShowFolderMenu(folderList_->viewport()->mapToGlobal(at), true);
  });
  connect(filterList_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    ShowFilterListMenu(filterList_->viewport()->mapToGlobal(at));
  });
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

void WatchWindow::CreateAccessViews() {
  log_ = new QTableView(this);
  logModel_ = new ChangeLogModel(session_->log(), this);
  accessList_ = new QTableView(this);
  overviewModel_ = new AccessOverviewModel(session_->accessOverview(), this);
  tree_ = new TreeList(this);
  treeModel_ = new AccessTreeModel(session_->accessTree(), this);

  // The template's list controls only gave the place; the views take it over.
  for (auto [controlId, view] : {std::pair<int, QWidget*>{id::kChangeLog, log_},
                                 {id::kAccessList, accessList_}}) {
    const window::TemplateControl* control = window::FindTemplateControl(controlId);
    view->setGeometry(ToQRect(window::ToPixels(control->dialogUnits, BaseUnits(font()))));
    AddControl(controlId, view);
  }
  log_->setModel(logModel_);
  accessList_->setModel(overviewModel_);
  tree_->setModel(treeModel_);
  tree_->setGeometry(accessList_->geometry());
  for (QTableView* view : {log_, accessList_}) {
    PrepareTable(*view);
    view->horizontalHeader()->setSectionsMovable(true);
    view->setIconSize(QSize(16, 15));
  }
  for (int column = 0; column < engine::kLogColumnCount; ++column) {
    log_->setColumnWidth(column, Scaled(lists::kChangeLogColumns[static_cast<size_t>(column)].width, font()));
  }
  accessList_->setColumnWidth(0, kImageColumnWidth);
  accessList_->setColumnWidth(1, Scaled(kNameColumnWidth, font()));
  tree_->setColumnWidth(0, Scaled(kNameColumnWidth, font()));
  for (int slot = 0; slot < engine::kSlotCount; ++slot) {
    accessList_->setColumnWidth(engine::kOverviewColumnFirstSlot + slot, Scaled(kSlotColumnWidth, font()));
    tree_->setColumnWidth(1 + slot, Scaled(kSlotColumnWidth, font()));
  }
  tree_->setRootIsDecorated(true);
  tree_->setTabKeyNavigation(false);
  tree_->setContextMenuPolicy(Qt::CustomContextMenu);
  // Sorting is not offered: the grouped tree says it sorted and moves nothing.
  tree_->setSortHook([](int) { return true; });
}

// Tab goes in reading order: the buttons and boxes of the left column, the
// folder and filter lists, then each list's toolbar before the list.
void WatchWindow::SetTabOrder() {
  std::vector<QWidget*> chain{folderButton_, startStop_};
  for (const auto& [boxId, box] : optionBoxes_) chain.push_back(box);
  chain.insert(chain.end(), {folderList_, filterList_});
  auto addToolbar = [&](QToolBar* toolbar) {
    for (QAction* action : toolbar->actions()) {
      QWidget* button = toolbar->widgetForAction(action);
      if (!button) continue;
      button->setFocusPolicy(Qt::TabFocus);
      chain.push_back(button);
    }
  };
  addToolbar(accessToolbar_);
  chain.insert(chain.end(), {tree_, accessList_});
  addToolbar(logToolbar_);
  chain.push_back(log_);
  for (size_t at = 1; at < chain.size(); ++at) setTabOrder(chain[at - 1], chain[at]);
}

void WatchWindow::ApplyViewSettings() {
  const auto settings = window::ViewSettings::Load(context_.settings);
  log_->setShowGrid(settings.logGridLines);
  accessList_->setShowGrid(settings.accessGridLines);
  tree_->setGridLines(settings.treeGridLines);
  grouped_ = settings.grouped;
}

void WatchWindow::ConnectSelections() {
  ConnectListMenus();
  connect(log_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { OnSelectedLogRow(current); });
  connect(accessList_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { OnSelectedAccessRow(current); });
  for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(log_),
                                  static_cast<QAbstractItemView*>(accessList_),
                                  static_cast<QAbstractItemView*>(tree_)}) {
    // The explore commands follow the selected row or node as it changes.
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &WatchWindow::RefreshCommandStates);
    connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &WatchWindow::RefreshCommandStates);
  }
}

void WatchWindow::ConnectBridge() {
  connect(bridge_, &SessionBridge::logCleared, logModel_, &ChangeLogModel::Reset);
  connect(bridge_, &SessionBridge::logRowsAppended, this, &WatchWindow::OnLogRowsAppended);
  connect(bridge_, &SessionBridge::accessStatisticsCleared, overviewModel_, &AccessOverviewModel::Reset);
  connect(bridge_, &SessionBridge::accessStatisticsCleared, treeModel_, &AccessTreeModel::Reset);
  connect(bridge_, &SessionBridge::accessStatisticsChanged, overviewModel_, &AccessOverviewModel::Flush);
  connect(bridge_, &SessionBridge::accessStatisticsChanged, treeModel_, &AccessTreeModel::Flush);
  connect(bridge_, &SessionBridge::accessTextsChanged, treeModel_, &AccessTreeModel::RefreshAll);
  connect(bridge_, &SessionBridge::filteredCountChanged, this, &WatchWindow::RefreshFilteredCount);
  connect(bridge_, &SessionBridge::folderRowsChanged, this, &WatchWindow::RefreshFolderList);
  connect(bridge_, &SessionBridge::watchingChanged, this, &WatchWindow::RefreshStartStop);
  connect(bridge_, &SessionBridge::watchingChanged, this, &WatchWindow::RefreshCommandStates);
  connect(bridge_, &SessionBridge::setupChanged, this, &WatchWindow::OnSetupChanged);
  // A reset removes the selected row without a current-row signal.
  for (auto signal : {&SessionBridge::logCleared, &SessionBridge::accessStatisticsCleared}) {
    connect(bridge_, signal, this, &WatchWindow::RefreshCommandStates);
  }
}

void WatchWindow::OnSetupChanged() {
  RefreshFilterList();
  RefreshLogFilterCaption();
  RefreshCommandStates();
}

void WatchWindow::OnLogRowsAppended() {
  if (logModel_->Flush() > 0) log_->scrollToTop();
}

void WatchWindow::OnSelectedLogRow(const QModelIndex& current) {
  selectedLogRow_ = current.isValid() ? current.row() : -1;
  RefreshCommandStates();
  if (selectedLogRow_ >= 0) emit currentPathChanged(logModel_->Path(selectedLogRow_));
}

void WatchWindow::OnSelectedAccessRow(const QModelIndex& current) {
  selectedAccessRow_ = current.isValid() ? current.row() : -1;
  RefreshCommandStates();
  if (selectedAccessRow_ >= 0) emit currentPathChanged(overviewModel_->Path(selectedAccessRow_));
}

// A model reset drops the selection without telling: ask the view itself.
bool WatchWindow::HasSelectedCurrentRow(const QAbstractItemView& view) {
  const QItemSelectionModel* selection = view.selectionModel();
  return selection && selection->currentIndex().isValid() &&
         selection->isSelected(selection->currentIndex());
}

void WatchWindow::RefreshCommandStates() {
  window::WindowSituation situation;
  situation.grouped = grouped_;
  situation.treeNodeSelected = HasSelectedCurrentRow(*tree_);
  situation.accessRowSelected = HasSelectedCurrentRow(*accessList_);
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

void WatchWindow::ShowGroupedOrSimple() {
  accessList_->setVisible(!grouped_);
  tree_->setVisible(grouped_);
  RefreshCommandStates();
}

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
  input.accessList = FromQRect(accessList_->geometry());
  input.folderList = FromQRect(folderList_->geometry());
  input.toolbarHeight =
      std::max(accessToolbar_->sizeHint().height(), logToolbar_->sizeHint().height());
  input.accessToolbarWidth = accessToolbar_->sizeHint().width();
  const window::WindowLayout layout = window::ComputeLayout(input);

  Control(id::kAccessLabel)->hide();
  accessToolbar_->setGeometry(WideEnough(ToQRect(layout.accessToolbar), *accessToolbar_));
  accessList_->setGeometry(ToQRect(layout.accessList));
  tree_->setGeometry(ToQRect(layout.accessList));
  log_->setGeometry(ToQRect(layout.changeLog));
  Control(id::kLogLabel)->setGeometry(ToQRect(layout.logLabel));
  Control(id::kLogLabel)->hide();
  logToolbar_->setGeometry(WideEnough(ToQRect(layout.logToolbar), *logToolbar_));
  if (searchBar_) searchBar_->PlaceBeside(*logToolbar_, log_->geometry());
  folderList_->setGeometry(ToQRect(layout.folderList));
  filterList_->setGeometry(ToQRect(layout.filterList));
  filteredCount_->setGeometry(ToQRect(layout.filteredCount));
  filterToolbar_->setGeometry(ToQRect(layout.filterToolbar));
}

}  // namespace tavrek::ui
