#pragma once
// An export file that appears only when it is complete: the bytes go to a
// hidden temporary file in the target's folder, which is renamed over the
// target by Commit(). A cancelled or failed export removes it, so no half
// file is left behind and an older file of that name stays as it was.
#include <functional>
#include <string>

#include "core/lists/export_types.h"
#include "core/lists/sink.h"

namespace tavrek::lists {

class ExportFile : public Sink {
 public:
  ExportFile() = default;
  ~ExportFile() override;  // discards what was not committed
  ExportFile(const ExportFile&) = delete;
  ExportFile& operator=(const ExportFile&) = delete;

  // False when the target is not a regular file (a folder, a FIFO, a
  // device) or the temporary file cannot be created; error() says why.
  bool Open(const std::string& target);
  bool Write(std::string_view bytes) override;
  // Closes the file and puts it in place; false (and nothing left) on failure.
  bool Commit();
  void Discard();

  int error() const { return error_; }

 private:
  std::string target_;
  std::string temporary_;
  int fd_ = -1;
  int error_ = 0;
};

// Opens `path` as an ExportFile, lets `write` fill it and commits it when the
// result is Ok; any other result leaves no file.
ExportResult ExportToFile(const std::string& path,
                          const std::function<ExportResult(Sink& sink)>& write);

}  // namespace tavrek::lists
