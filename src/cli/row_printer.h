#pragma once
// Writes every change-log row of a session to a stream as it is inserted: one
// line per row, the columns after the image separated by TAB.
#include <cstdio>

#include "core/engine/watch_session.h"

namespace tavrek::cli {

class RowPrinter : public engine::SessionObserver {
 public:
  // Rows already in the log are not printed.
  RowPrinter(const engine::WatchSession& session, std::FILE* out, std::FILE* errors)
      : session_(session), out_(out), errors_(errors), printed_(session.log().size()) {}

  void OnLogRowsAppended(size_t oldSize, size_t newSize) override;
  void OnLogCleared() override { printed_ = 0; }
  void OnOverflowCountChanged(uint64_t total) override;
  void OnFolderRowsChanged() override;

  // False once writing failed (the reader went away).
  bool healthy() const { return !std::ferror(out_); }

 private:
  void PrintRow(size_t index);

  const engine::WatchSession& session_;
  std::FILE* out_;
  std::FILE* errors_;
  size_t printed_;
};

}  // namespace tavrek::cli
