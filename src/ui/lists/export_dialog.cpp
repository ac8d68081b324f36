#include "ui/lists/export_dialog.h"

#include <QFileInfo>
#include <QProgressDialog>
#include <QUrl>
#include <cerrno>
#include <cstring>
#include <functional>

#include "core/app/settings_store.h"
#include "core/lists/biff2.h"
#include "core/lists/export_dialog.h"
#include "core/lists/export_file.h"
#include "core/lists/flat_export.h"
#include "core/lists/tree_export.h"
#include "core/platform/file_io.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"

namespace tavrek::ui {
namespace {

namespace lx = lists;

constexpr int kShowProgressAfterMs = 500;
constexpr size_t kProgressInterval = 1024;
// QProgressDialog counts in int; totals above this are shown scaled.
constexpr size_t kProgressSteps = 1000;

int StoredIndex(app::SettingsStore* settings) {
  if (settings == nullptr) return lx::kDefaultExportIndex;
  return settings->GetInt(lx::kExportSection, lx::kExportIndexKey, lx::kDefaultExportIndex);
}

bool MayReplace(QWidget* parent, const std::string& path) {
  if (!QFileInfo::exists(ToQString(path))) return true;
  const QString text = QStringLiteral("%1 ist bereits vorhanden.\nMöchten Sie die Datei ersetzen?")
                           .arg(ToQString(path));
  return Dialogs::Message(parent, QMessageBox::Warning, ToQString(lx::kExportDialogTitle), text,
                          QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

// The Cancel button of the progress dialog, asked every kProgressInterval rows.
class Progress {
 public:
  explicit Progress(QWidget* parent)
      : dialog_(QStringLiteral("Exportiere ..."), QStringLiteral("Abbrechen"), 0, 0, parent) {
    dialog_.setWindowModality(Qt::WindowModal);
    dialog_.setMinimumDuration(kShowProgressAfterMs);
    dialog_.setAutoReset(false);
    dialog_.setAutoClose(false);
  }

  lx::ExportProgress Callback() {
    lx::ExportProgress progress;
    progress.interval = kProgressInterval;
    progress.keepGoing = [this](size_t done, size_t total) { return KeepGoing(done, total); };
    return progress;
  }

  // Cancel pressed after the last row was asked about still counts.
  bool Cancelled() const { return Dialogs::ProgressCancelled(dialog_); }

 private:
  bool KeepGoing(size_t done, size_t total) {
    dialog_.setMaximum(static_cast<int>(kProgressSteps));
    // A tree's total is not known: its bar runs round and round. Either way
    // the value changes, so the dialog shows itself in time and sees Cancel.
    const size_t step = total > 0 ? done * kProgressSteps / total : (done / kProgressInterval) % kProgressSteps;
    dialog_.setValue(static_cast<int>(step));
    return !Cancelled();
  }

  QProgressDialog dialog_;
};

void TellFailure(QWidget* parent, const ExportTarget& target, const lx::ExportResult& result,
                 bool flatText) {
  QString text = flatText ? ToQString(lx::kTextOpenFailed) + ToQString(target.path)
                          : ToQString(lx::kOpenFailed);
  if (result.error == EACCES && platform::IsWriteProtected(target.path)) {
    text += QStringLiteral("\n") + ToQString(platform::kWriteProtectedText);
  } else if (result.error != 0) {
    text += QStringLiteral("\n") + ToQString(std::strerror(result.error));
  }
  Dialogs::Message(parent, QMessageBox::NoIcon, QString(), text);
}

void TellLeftOut(QWidget* parent, const lx::ExportResult& result) {
  const QString text =
      QStringLiteral("Eine XLS-Datei fasst nicht mehr als %1 Zeilen: %2 Zeilen wurden weggelassen.")
          .arg(lx::biff2::kMaxRows)
          .arg(result.rowsLeftOut);
  Dialogs::Message(parent, QMessageBox::Information, QString(), text);
}

using WriteFunction = std::function<lx::ExportResult(lx::Sink&, const lx::ExportProgress&)>;

// The progress dialog lives only while the file is written: it is gone
// before any message opens, so neither can come up over the other.
lx::ExportResult WriteWithProgress(QWidget* parent, const std::string& path, const WriteFunction& write) {
  Progress progress(parent);
  const lx::ExportProgress callback = progress.Callback();
  return lx::ExportToFile(path, [&](lx::Sink& sink) {
    lx::ExportResult result = write(sink, callback);
    if (result.ok() && progress.Cancelled()) result.status = lx::ExportStatus::Cancelled;
    return result;
  });
}

lx::ExportResult Write(QWidget* parent, const ExportTarget& target, bool flat, const WriteFunction& write) {
  const lx::ExportResult result = WriteWithProgress(parent, target.path, write);
  if (result.status == lx::ExportStatus::Cancelled) return result;
  if (!result.ok()) {
    const bool flatText =
        flat && (target.format == lx::ExportFormat::Txt || target.format == lx::ExportFormat::Csv);
    TellFailure(parent, target, result, flatText);
    return result;
  }
  if (result.rowsLeftOut > 0) TellLeftOut(parent, result);
  Dialogs::OpenUrl(QUrl::fromLocalFile(ToQString(target.path)));
  return result;
}

}  // namespace

std::optional<ExportTarget> ChooseExportFile(QWidget* parent, app::SettingsStore* settings,
                                             const QString& name, bool treeList) {
  SaveFileRequest request;
  request.caption = ToQString(lx::kExportDialogTitle);
  for (const lx::ExportFilter& filter : lx::kExportFilters) request.filters << ToQString(filter.label);
  request.selectedFilter = static_cast<int>(lx::FormatOfIndex(StoredIndex(settings))) - 1;
  const std::string utf8 = ToUtf8(name);
  request.proposedName =
      ToQString(treeList ? lx::ProposedTreeExportName(utf8) : lx::ProposedExportName(utf8));
  const std::optional<SaveFileChoice> choice = Dialogs::ChooseSaveFile(parent, request);
  if (!choice || choice->path.isEmpty()) return std::nullopt;
  const int index = choice->filterIndex + 1;
  ExportTarget target;
  target.format = lx::FormatOfIndex(index);
  target.path = lx::CompleteExportName(ToUtf8(choice->path), target.format);
  if (!treeList && !MayReplace(parent, target.path)) return std::nullopt;
  if (settings != nullptr) settings->WriteInt(lx::kExportSection, lx::kExportIndexKey, index);
  return target;
}

lx::ExportResult WriteExport(QWidget* parent, const ExportTarget& target,
                             const lx::FlatListSource& list) {
  return Write(parent, target, true, [&](lx::Sink& sink, const lx::ExportProgress& progress) {
    return lx::WriteFlatList(list, target.format, sink, progress);
  });
}

lx::ExportResult WriteExport(QWidget* parent, const ExportTarget& target,
                             const lx::TreeListSource& tree) {
  return Write(parent, target, false, [&](lx::Sink& sink, const lx::ExportProgress& progress) {
    return lx::WriteTreeList(tree, target.format, sink, progress);
  });
}

void ExportList(QWidget* parent, app::SettingsStore* settings, const lx::FlatListSource& list,
                const QString& name) {
  if (auto target = ChooseExportFile(parent, settings, name, false)) WriteExport(parent, *target, list);
}

void ExportTree(QWidget* parent, app::SettingsStore* settings, const lx::TreeListSource& tree,
                const QString& name) {
  if (auto target = ChooseExportFile(parent, settings, name, true)) WriteExport(parent, *target, tree);
}

}  // namespace tavrek::ui
