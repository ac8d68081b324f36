#pragma once
// The one road from a watch session to the Qt layer. The bridge observes the
// session, gathers what changed and tells it as signals once per tick, so a
// burst of thousands of events costs every view one update. A change made
// outside a tick (a command: folders, filter rows, options, the watch, a reset)
// does not wait for the next one: it is told as soon as the event loop is
// back, once the command has done all of its steps. Only the bridge asks the session to handle what its
// sources handed over.
#include <QObject>
#include <QTimer>

#include "core/app/watch_phase.h"
#include "core/engine/watch_session.h"

namespace tavrek::ui {

class SessionBridge : public QObject, private engine::SessionObserver {
  Q_OBJECT

 public:
  static constexpr int kTickIntervalMs = 100;

  explicit SessionBridge(engine::WatchSession& session, QObject* parent = nullptr);
  ~SessionBridge() override;
  SessionBridge(const SessionBridge&) = delete;
  SessionBridge& operator=(const SessionBridge&) = delete;

  // Handles what the sources handed over, then sends every gathered signal.
  // The timer calls it; a command calls it to show its result at once.
  void Tick();
  // Tells every view the whole state once (folders, setup, watch, counters),
  // as a view that has just been made needs it.
  void TellAll();

 signals:
  // Clearing signals come before growing ones of the same tick.
  void logCleared();
  void logRowsAppended(qsizetype oldSize, qsizetype newSize);
  void filteredCountChanged(int count);
  void folderRowsChanged();
  // Also when a watch that still runs for the button has no folder left.
  void watchingChanged(bool watching);
  void overflowCountChanged(quint64 total);
  void logRowsDropped(quint64 total);
  void accessStatisticsCleared();
  void accessStatisticsChanged();
  void accessTextsChanged();
  void setupChanged();

 private:
  void OnLogRowsAppended(size_t oldSize, size_t newSize) override;
  void OnLogCleared() override;
  void OnFilteredCountChanged(int count) override;
  void OnFolderRowsChanged() override;
  void OnWatchingChanged(bool watching) override;
  void OnOverflowCountChanged(uint64_t total) override;
  void OnLogRowsDropped(uint64_t total) override;
  void OnAccessStatisticsChanged() override;
  void OnAccessStatisticsCleared() override;
  void OnAccessTextsChanged() override;
  void OnSetupChanged() override;
  void EmitGathered();
  // Folders end on their own, told by no command: the phase is compared each tick.
  void NotePhase();
  // A command's change is told once the event loop is back.
  void TellSoon();

  struct Gathered {
    bool logCleared = false;
    bool logGrew = false;
    size_t logFrom = 0;
    size_t logTo = 0;
    bool filteredCount = false;
    bool folderRows = false;
    bool watching = false;
    bool overflows = false;
    bool dropped = false;
    bool accessCleared = false;
    bool accessChanged = false;
    bool accessTexts = false;
    bool setup = false;
  };

  engine::WatchSession& session_;
  QTimer timer_;
  Gathered gathered_;
  bool tellSoon_ = false;
  bool processing_ = false;
  app::WatchPhase phase_ = app::WatchPhase::kStopped;
};

}  // namespace tavrek::ui
