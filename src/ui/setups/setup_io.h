#pragma once
// Saving a watch window's setup as a document and loading one into a window.
#include <QString>
#include <optional>

#include "core/setups/document_file.h"

class QWidget;

namespace tavrek::ui {

class SetupHost;

// Reads the document; when it cannot be read, says why in an error box over
// `owner` (when `report`) and gives nothing.
std::optional<setups::DocumentRead> ReadSetupOrSay(QWidget* owner, const QString& path,
                                                   bool report);

// Replaces the window's setup by a document read, as LoadSetup does.
void ApplySetup(SetupHost& window, const QString& path, const setups::DocumentRead& read);

// Reads the document and replaces the window's folders, filter rows, option
// boxes and log filter mode by it; the log and the statistics stay. A
// document that asks for it starts the watch, as a press of Start/Stop does.
// False when the file cannot be read, with an error box when `reportMissing`;
// the window is then unchanged.
bool LoadSetup(SetupHost& window, const QString& path, bool reportMissing);

// Writes the session's setup to `path` (".tvk" appended unless it ends so),
// asking before replacing an existing file unless `noPrompt`. The window and
// its watch stay as they are: `startWatch` only goes into the document, for
// whoever opens it. The filtered count goes back to 0 whether or not the file
// is written. False when nothing was written.
bool SaveSetup(SetupHost& window, const QString& path, bool noPrompt, int startWatch);

}  // namespace tavrek::ui
