#include "ui/lists/explore_path.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QUrl>
#include <filesystem>

#include "core/window/list_menu.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"

namespace tavrek::ui {
namespace {

constexpr char kService[] = "org.freedesktop.FileManager1";
constexpr char kObject[] = "/org/freedesktop/FileManager1";
constexpr char kInterface[] = "org.freedesktop.FileManager1";
// Left as they are in a file URL's path, as QUrl::fromLocalFile leaves them.
constexpr char kPlainInPath[] = "/!$&'()*+,;=:@[]";

void CallOverDBus(const ExploreRequest& request, std::function<void(bool)> answered) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    answered(false);
    return;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(QLatin1StringView(kService), QLatin1StringView(kObject),
                                                     QLatin1StringView(kInterface), request.method);
  call << request.uris << QString();  // no startup notification id
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                   [answered = std::move(answered)](QDBusPendingCallWatcher* finished) {
                     answered(!finished->isError());
                     finished->deleteLater();
                   });
}

// Neither a file manager nor the desktop's opener (xdg-open) answered.
QString NoFileManagerText(const QString& folder) {
  return QStringLiteral("Kein Dateimanager gefunden, der den Ordner öffnen kann\n"
                        "(weder über D-Bus noch mit xdg-open):\n\n") + folder;
}

FileManagerCall& fileManagerCall() {
  static FileManagerCall call;
  return call;
}

}  // namespace

QUrl FileUrlOf(std::string_view path) {
  const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
  QUrl url;
  url.setScheme(QStringLiteral("file"));
  url.setPath(QString::fromLatin1(bytes.toPercentEncoding(kPlainInPath)), QUrl::StrictMode);
  return url;
}

ExploreRequest ExploreRequestOf(std::string_view path, bool select) {
  const std::string folder = window::ContainingFolder(path);
  // A file that is gone (a logged deletion) cannot be selected: its folder opens.
  std::error_code error;
  const bool selectFile = select && std::filesystem::exists(std::filesystem::path(path), error);
  ExploreRequest request;
  request.folder = FileUrlOf(folder);
  request.method = selectFile ? QStringLiteral("ShowItems") : QStringLiteral("ShowFolders");
  request.uris << (selectFile ? FileUrlOf(path) : request.folder).toString(QUrl::FullyEncoded);
  return request;
}

void ExplorePath(std::string_view path, bool select) {
  if (path.empty()) return;
  const ExploreRequest request = ExploreRequestOf(path, select);
  auto fallBack = [folder = request.folder](bool answered) {
    if (answered) return;
    auto sayNothingOpens = [folder] {
      Dialogs::Message(QApplication::activeWindow(), QMessageBox::Warning, QString(),
                       NoFileManagerText(folder.toDisplayString(QUrl::PreferLocalFile)));
    };
    if (!Dialogs::OpenUrl(folder, sayNothingOpens)) sayNothingOpens();
  };
  if (fileManagerCall()) {
    fileManagerCall()(request, fallBack);
  } else {
    CallOverDBus(request, fallBack);
  }
}

void ExplorePath(const QString& path, bool select) { ExplorePath(ToUtf8(path), select); }

void SetFileManagerCall(FileManagerCall call) { fileManagerCall() = std::move(call); }

}  // namespace tavrek::ui
