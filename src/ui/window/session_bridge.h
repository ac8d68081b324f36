#pragma once
// The one road from a watch session to the Qt layer. The bridge observes the
// session, gathers what changed and tells it as signals once per tick, so a
// burst of thousands of events costs every view one update. Only the bridge
// asks the session to handle what its sources handed over.
#include <QObject>
#include <QTimer>

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

 signals:
  // Clearing signals come before growing ones of the same tick.
  void logCleared();
  void logRowsAppended(qsizetype oldSize, qsizetype newSize);
  void filteredCountChanged(int count);
  void folderRowsChanged();
  void watchingChanged(bool watching);
  void overflowCountChanged(quint64 total);
  void logRowsDropped(quint64 total);
  void accessStatisticsCleared();
  void accessStatisticsChanged();
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
  void OnSetupChanged() override;
  void EmitGathered();

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
    bool setup = false;
  };

  engine::WatchSession& session_;
  QTimer timer_;
  Gathered gathered_;
};

}  // namespace tavrek::ui
