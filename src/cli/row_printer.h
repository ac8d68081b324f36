#pragma once
#include <sys/stat.h>
// Writes every change-log row of a session to a stream as it is inserted: one
// line per row, the columns after the image separated by TAB, or one JSON
// object per line.
#include <cstdio>

#include <set>
#include <string>

#include "cli/json_row.h"
#include "cli/output_format.h"
#include "core/engine/watch_session.h"

namespace tavrek::cli {

class RowPrinter : public engine::SessionObserver {
 public:
  // Rows already in the log are not printed.
  RowPrinter(const engine::WatchSession& session, std::FILE* out, std::FILE* errors,
             OutputFormat format = OutputFormat::kTsv)
      : session_(session),
        out_(out),
        errors_(errors),
        printed_(session.log().size()),
        format_(format) {}

  void OnLogRowsAppended(size_t oldSize, size_t newSize) override;
  void OnLogCleared() override { printed_ = 0; }
  void OnOverflowCountChanged(uint64_t total) override;
  void OnFolderRowsChanged() override;

  // Rows about the file the output goes to are left out: each printed row
  // would change it again, without end. Said once on the error stream.
  void LeaveOutChangesOf(const struct stat& output, std::string name);

  // Writes out what is buffered; false once writing has failed.
  bool Flush();
  // False once writing failed: the reader went away or the output cannot
  // take more (a full disk, a device error).
  bool healthy() const { return outputError_ == 0; }
  // The error of the first failed write (EPIPE when the reader went away), 0
  // while none failed.
  int outputError() const { return outputError_; }

 private:
  void PrintRow(size_t index);
  bool AboutOutput(size_t index);
  void PrintJsonRow(size_t index);
  std::string_view TimeText(size_t index);
  // Keeps the error of a write that just failed.
  void NoteOutputError();

  const engine::WatchSession& session_;
  std::FILE* out_;
  std::FILE* errors_;
  size_t printed_;
  int outputError_ = 0;
  OutputFormat format_;
  JsonRowWriter json_;
  std::string line_;  // the line being made, its memory kept
  engine::ChangeLog::CellBuffer time_{};  // the last row's time, as printed
  size_t timeLength_ = 0;
  uint32_t timeMillisecond_ = 0;
  // The output file, when it is one: its last name, device and inode.
  std::string outputName_;
  dev_t outputDevice_ = 0;
  ino_t outputInode_ = 0;
  bool outputLeftOutSaid_ = false;
  std::set<std::string> toldFailed_;  // folders named as not openable
};

}  // namespace tavrek::cli
