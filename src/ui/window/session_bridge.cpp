#include "ui/window/session_bridge.h"

#include <utility>

namespace tavrek::ui {

SessionBridge::SessionBridge(engine::WatchSession& session, QObject* parent)
    : QObject(parent), session_(session) {
  session_.SetObserver(this);
  connect(&timer_, &QTimer::timeout, this, &SessionBridge::Tick);
  timer_.start(kTickIntervalMs);
}

SessionBridge::~SessionBridge() { session_.SetObserver(nullptr); }

void SessionBridge::Tick() {
  tellSoon_ = false;
  processing_ = true;  // what the events change is told at the end of this tick
  session_.ProcessPending();
  processing_ = false;
  NotePhase();
  EmitGathered();
}

void SessionBridge::NotePhase() {
  const app::WatchPhase phase = app::PhaseOf(session_);
  if (phase == phase_) return;
  phase_ = phase;
  gathered_.watching = true;
}

void SessionBridge::TellAll() {
  gathered_.folderRows = true;
  gathered_.setup = true;
  gathered_.watching = true;
  gathered_.filteredCount = true;
  gathered_.overflows = true;
  Tick();
}

void SessionBridge::TellSoon() {
  if (processing_ || std::exchange(tellSoon_, true)) return;
  QMetaObject::invokeMethod(this, &SessionBridge::Tick, Qt::QueuedConnection);
}

void SessionBridge::EmitGathered() {
  // A receiver may run a command that gathers again: it is told next tick.
  const Gathered now = std::exchange(gathered_, Gathered{});
  if (now.logCleared) emit logCleared();
  if (now.logGrew) {
    emit logRowsAppended(static_cast<qsizetype>(now.logFrom), static_cast<qsizetype>(now.logTo));
  }
  if (now.accessCleared) emit accessStatisticsCleared();
  if (now.accessChanged) emit accessStatisticsChanged();
  if (now.accessTexts) emit accessTextsChanged();
  if (now.folderRows) emit folderRowsChanged();
  if (now.setup) emit setupChanged();
  if (now.watching) emit watchingChanged(session_.watching());
  if (now.filteredCount) emit filteredCountChanged(session_.filteredCount());
  if (now.overflows) emit overflowCountChanged(session_.overflowCount());
  if (now.dropped) emit logRowsDropped(session_.log().droppedRows());
}

void SessionBridge::OnLogRowsAppended(size_t oldSize, size_t newSize) {
  if (!gathered_.logGrew) gathered_.logFrom = oldSize;
  gathered_.logGrew = true;
  gathered_.logTo = newSize;
  TellSoon();
}

void SessionBridge::OnLogCleared() {
  gathered_.logCleared = true;
  gathered_.logGrew = false;  // the rows that follow are announced by the clearing
  TellSoon();
}

void SessionBridge::OnFilteredCountChanged(int) {
  gathered_.filteredCount = true;
  TellSoon();
}

void SessionBridge::OnOverflowCountChanged(uint64_t) {
  gathered_.overflows = true;
  TellSoon();
}

void SessionBridge::OnAccessStatisticsChanged() {
  gathered_.accessChanged = true;
  TellSoon();
}

void SessionBridge::OnFolderRowsChanged() {
  gathered_.folderRows = true;
  TellSoon();
}

void SessionBridge::OnWatchingChanged(bool) {
  gathered_.watching = true;
  TellSoon();
}

void SessionBridge::OnLogRowsDropped(uint64_t) {
  gathered_.dropped = true;
  TellSoon();
}

void SessionBridge::OnAccessStatisticsCleared() {
  gathered_.accessCleared = true;
  gathered_.accessChanged = false;  // the clearing shows what follows it
  TellSoon();
}

void SessionBridge::OnAccessTextsChanged() {
  gathered_.accessTexts = true;
  TellSoon();
}

void SessionBridge::OnSetupChanged() {
  gathered_.setup = true;
  TellSoon();
}

}  // namespace tavrek::ui
