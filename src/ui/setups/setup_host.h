#pragma once
// What loading and saving a setup needs of a watch window: its session, a
// parent for messages, fresh views and a press of Start/Stop. The window
// offers it, so the setup commands need not know the window.
class QWidget;

namespace tavrek::engine {
class WatchSession;
}

namespace tavrek::ui {

class SetupHost {
 public:
  // The parent of the messages and dialogs the setup commands show.
  virtual QWidget* hostWidget() = 0;
  virtual engine::WatchSession& session() = 0;
  // Tells the views at once what the session holds now.
  virtual void FlushViews() = 0;
  // Starts or stops the watch, as the Start/Stop button does.
  virtual void PressStartStop() = 0;

 protected:
  ~SetupHost() = default;
};

}  // namespace tavrek::ui
