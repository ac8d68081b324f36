#pragma once
// Opens the desktop's file manager on a path: on its folder with the file
// selected, or on the folder alone. The request goes to the file manager
// over D-Bus (org.freedesktop.FileManager1) without waiting for it; where no
// file manager answers, the folder is opened with the desktop's default
// application for folders, and where nothing opens it a message box says so.
// No command line is ever built from the path.
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <string_view>

namespace tavrek::ui {

// With `select` the file manager shows the folder of `path` with `path`
// selected; without, it opens the folder of `path` (the text up to its last
// "/"); so does `select` for a file that no longer exists. An empty path
// does nothing. `path` is the bytes the file system knows the file by,
// whatever they are; the QString form takes a path that is valid text.
void ExplorePath(std::string_view path, bool select);
void ExplorePath(const QString& path, bool select);

// What goes to the file manager: the method ("ShowItems" or "ShowFolders")
// and its file URIs, and the folder opened when it does not answer.
struct ExploreRequest {
  QString method;
  QStringList uris;
  QUrl folder;
};
ExploreRequest ExploreRequestOf(std::string_view path, bool select);

// The file URL of a path: every byte that is not plain in a URI
// percent-encoded, so a name that is no UTF-8 keeps its bytes.
QUrl FileUrlOf(std::string_view path);

// How a request reaches the file manager; `answered` is called later with
// whether a file manager took it. Tests put their own in; an empty one
// restores the D-Bus call.
using FileManagerCall = std::function<void(const ExploreRequest& request,
                                           std::function<void(bool answered)> answered)>;
void SetFileManagerCall(FileManagerCall call);

}  // namespace tavrek::ui
