#include "cli/row_printer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "core/platform/visible_text.h"

namespace tavrek::cli {
namespace {

// Why a folder cannot be opened for watching, asked again: the start keeps
// only that it could not.
std::string OpenFailure(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    close(fd);
    return "could not be opened when the watch started";
  }
  switch (errno) {
    case ENOENT: return "no such folder";
    case EACCES:
    case EPERM: return "no permission";
    case ENOTDIR: return "not a folder";
    default: return std::strerror(errno);
  }
}

// Printable ASCII but the backslash stays as it is.
bool PlainText(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return c >= ' ' && c < '\x7f' && c != '\\'; });
}

// A file name may hold TAB, line breaks, terminal controls and bytes that are
// no UTF-8; escaped, every line is valid UTF-8 and names exactly one file.
void AppendField(std::string& line, std::string_view text) {
  if (PlainText(text)) {
    line.append(text);
    return;
  }
  line.append(platform::VisibleText(text));
}

}  // namespace

void RowPrinter::PrintJsonRow(size_t index) {
  line_.clear();
  json_.Append(session_.log(), index, line_);
  fwrite(line_.data(), 1, line_.size(), out_);
  NoteOutputError();
}

void RowPrinter::PrintRow(size_t index) {
  if (format_ == OutputFormat::kJson) {
    PrintJsonRow(index);
    return;
  }
  const engine::ChangeLog& log = session_.log();
  engine::ChangeLog::CellBuffer buffer;
  // Made whole first: one write per row.
  line_.assign(TimeText(index));
  for (int column = engine::kLogColumnTime + 1; column < engine::kLogColumnCount; ++column) {
    line_.push_back('\t');
    AppendField(line_, log.CellView(index, column, buffer));
  }
  line_.push_back('\n');
  flockfile(out_);
  fwrite_unlocked(line_.data(), 1, line_.size(), out_);
  if (outputError_ == 0 && ferror_unlocked(out_)) NoteOutputError();
  funlockfile(out_);
}

// A burst's rows share their time: formatted once.
std::string_view RowPrinter::TimeText(size_t index) {
  const uint32_t millisecond = session_.log().row(index).millisecondOfDay;
  if (timeLength_ == 0 || millisecond != timeMillisecond_) {
    const std::string_view text = session_.log().CellView(index, engine::kLogColumnTime, time_);
    timeLength_ = text.size();
    timeMillisecond_ = millisecond;
    if (text.data() != time_.data()) std::copy(text.begin(), text.end(), time_.begin());
  }
  return {time_.data(), timeLength_};
}

void RowPrinter::NoteOutputError() {
  if (outputError_ == 0 && std::ferror(out_)) outputError_ = errno != 0 ? errno : EIO;
}

bool RowPrinter::Flush() {
  errno = 0;
  if (std::fflush(out_) != 0 || std::ferror(out_)) NoteOutputError();
  return healthy();
}

void RowPrinter::LeaveOutChangesOf(const struct stat& output, std::string name) {
  outputName_ = std::move(name);
  outputDevice_ = output.st_dev;
  outputInode_ = output.st_ino;
}

// Compared by the last name first, so that only a row with the output's
// name costs a look at the file.
bool RowPrinter::AboutOutput(size_t index) {
  if (outputName_.empty()) return false;
  engine::ChangeLog::CellBuffer buffer;
  const std::string_view path = session_.log().CellView(index, engine::kLogColumnName, buffer);
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos || path.substr(slash + 1) != outputName_) return false;
  struct stat status {};
  if (stat(std::string(path).c_str(), &status) != 0) return false;
  if (status.st_dev != outputDevice_ || status.st_ino != outputInode_) return false;
  if (!std::exchange(outputLeftOutSaid_, true)) {
    std::fprintf(errors_, "tavrek-watch: changes of the output file %s are not printed\n",
                 platform::VisibleText(path).c_str());
  }
  return true;
}

void RowPrinter::OnLogRowsAppended(size_t oldSize, size_t newSize) {
  for (size_t index = std::max(oldSize, printed_); index < newSize; ++index) {
    if (!AboutOutput(index)) PrintRow(index);
  }
  printed_ = newSize;
}

void RowPrinter::OnOverflowCountChanged(uint64_t total) {
  std::fprintf(errors_,
               "tavrek-watch: the kernel queue overflowed (%llu times so far); changes were lost\n",
               static_cast<unsigned long long>(total));
}

void RowPrinter::OnFolderRowsChanged() {
  // Told again whenever a folder is watched differently: each failed one is
  // named once.
  for (const engine::FolderRow& row : session_.folderRows()) {
    if (!row.failed || !toldFailed_.insert(row.path).second) continue;
    std::fprintf(errors_, "tavrek-watch: cannot open %s (%s: %s)\n",
                 platform::VisibleText(row.path).c_str(),
                 std::string(engine::kFolderFailedMark).c_str(), OpenFailure(row.path).c_str());
  }
}

}  // namespace tavrek::cli
