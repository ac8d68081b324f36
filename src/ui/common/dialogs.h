#pragma once
// The one road to everything modal: message boxes, the folder chooser, the
// filter dialog, popup menus and the keyboard state read while they close. A
// test queues its answers beforehand, so nothing it drives ever blocks.
#include <QMessageBox>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

class QMenu;
class QProgressDialog;
class QWidget;

namespace tavrek::ui {

struct FilterDialogAnswer {
  QString text;
  int modeIndex = 1;  // 0 ">> Nur diese ...", 1 ">> Diese Dateien nicht ..."
};

struct NameAnswer {
  QString name;
  int startWatch = 1;  // the start check box when the dialog closed
};

struct FolderChoice {
  QString path;
  bool ctrlHeld = false;  // the keyboard when the chooser closed
};

// A save-file dialog: its caption, filters, the filter selected at first
// (from 0) and the proposed name.
struct SaveFileRequest {
  QString caption;
  QStringList filters;
  int selectedFilter = 0;
  QString proposedName;
  QString folder;  // where the dialog starts, set when it is shown
  QString path;    // the chosen file, set on the answer
};

struct SaveFileChoice {
  QString path;
  int filterIndex = 0;  // the filter selected when the dialog closed, from 0
};

class Dialogs {
 public:
  // Shows a message box; returns the button pressed.
  static QMessageBox::StandardButton Message(QWidget* parent, QMessageBox::Icon icon,
                                             const QString& caption, const QString& text,
                                             QMessageBox::StandardButtons buttons = QMessageBox::Ok);
  // Runs a popup menu at a global position; returns the data (an int) of the
  // chosen action, 0 when nothing was chosen.
  static int PopupMenu(QMenu& menu, const QPoint& globalPosition);
  // The folder chooser; nothing when cancelled.
  static std::optional<FolderChoice> ChooseFolder(QWidget* parent, const QString& caption,
                                                  const QString& prompt, const QString& start);
  // The filter dialog, nothing when cancelled. The widget itself is built by
  // whoever passes `show`.
  static std::optional<FilterDialogAnswer> AskFilter(
      const std::function<std::optional<FilterDialogAnswer>()>& show);
  // The file chooser for opening an existing file or naming one to save;
  // nothing when cancelled. `filter` in Qt's form: "Tavrek (*.tvk)". Like
  // the save-file dialog it starts in StartFolder().
  enum class FileMode { Open, Save };
  static std::optional<QString> ChooseFile(QWidget* parent, FileMode mode, const QString& caption,
                                           const QString& filter);

  // The name dialog of the favourites, nothing when cancelled; the widget is
  // built by whoever passes `show`.
  static std::optional<NameAnswer> AskName(const std::function<std::optional<NameAnswer>()>& show);
  // The save-file dialog; it never asks about overwriting (the caller does,
  // once the extension is completed). Nothing when cancelled.
  static std::optional<SaveFileChoice> ChooseSaveFile(QWidget* parent, const SaveFileRequest& request);
  // Where file dialogs start: the folder of the file last chosen in one of
  // them in this run while it exists, else the home folder.
  static QString StartFolder();
  // Makes a dialog wide enough for a window manager's title bar to show its
  // caption whole beside the icon and the buttons, in a bold font.
  static void KeepTitleWhole(QWidget& dialog);
  // Whether the user pressed Cancel on a progress dialog.
  static bool ProgressCancelled(const QProgressDialog& progress);
  // Opens a URL (a file: the desktop's default application for it) without
  // waiting; false when the desktop has nothing to open it with. With
  // failedLater, the desktop's opener (xdg-open) is run and watched, and
  // failedLater is called when it ends with an error: it starts happily
  // whether or not it finds an application.
  static bool OpenUrl(const QUrl& url, std::function<void()> failedLater = {});

  // ---- for tests ----
  struct Recorded {
    QString caption;
    QString text;
  };
  static void QueueMenuChoice(int choice);
  static void QueueFolderChoice(std::optional<FolderChoice> choice);
  static void QueueFilterAnswer(std::optional<FilterDialogAnswer> answer);
  static void QueueMessageAnswer(QMessageBox::StandardButton answer);
  static void QueueFileChoice(std::optional<QString> path);
  static void QueueNameAnswer(std::optional<NameAnswer> answer);
  static void QueueSaveFileChoice(std::optional<SaveFileChoice> choice);
  // The next progress check reports Cancel.
  static void QueueProgressCancel();
  // The next URL opened finds nothing to open it with.
  // The next OpenUrl fails at once, or (later) its opener ends with an error.
  static void QueueOpenUrlFailure(bool later = false);
  // Save dialogs shown and URLs opened while in test mode.
  static const std::deque<SaveFileRequest>& saveFileRequests();
  // The menus popped up in test mode, as they were.
  struct RecordedEntry {
    int id = 0;  // 0: a separator
    QString text;
    bool enabled = true;
    bool checked = false;
    bool isDefault = false;
  };
  static const std::deque<std::vector<RecordedEntry>>& menus();
  static const std::deque<QUrl>& openedUrls();
  // Messages shown while answers were queued (or test mode was on).
  static const std::deque<Recorded>& messages();
  // In test mode nothing is ever shown: an unanswered dialog is cancelled.
  static void SetTestMode(bool on);
  static void Reset();
};

}  // namespace tavrek::ui
