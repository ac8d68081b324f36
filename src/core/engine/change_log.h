#pragma once
// The rows of a window's change log in compact form: a row costs a fixed
// 48 bytes at most plus the bytes of its texts, so millions of rows fit. Rows are
// stored oldest first and shown newest first. A log that keeps its rows puts
// them in a spill store (a file in the user's cache folder), so that memory
// holds only the rows in use, and stores a repeated path once.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/engine/action.h"
#include "core/engine/change_event.h"
#include "core/engine/chunked_vector.h"
#include "core/engine/process/process_names.h"
#include "core/engine/recent_texts.h"
#include "core/engine/spill_store.h"
#include "core/engine/status_kind.h"
#include "core/engine/text_arena.h"

namespace tavrek::engine {

enum LogColumn : int {
  kLogColumnImage = 0,
  kLogColumnTime = 1,
  kLogColumnAction = 2,
  kLogColumnName = 3,
  kLogColumnOldName = 4,
  kLogColumnUser = 5,
  kLogColumnIntern = 6,
  kLogColumnProcess = 7,
  kLogColumnCount = 8,
};

inline constexpr int kNoImage = -1;

struct LogRow {
  TextRef path;
  TextRef oldPath;
  uint32_t millisecondOfDay = 0;
  uint32_t userId = 0;  // 0: no user
  uint32_t processNameId = 0;  // 0: the process's name is not known
  int32_t pid = 0;
  uint16_t statusId = 0;  // status rows: index into the interned status texts
  uint16_t recordPosition = 0;
  int8_t image = kNoImage;  // the action's image, or none for status rows
  uint8_t kindIndex = kNoKind;
  FoundBy fromRescan = kFoundByKernel;  // found by a rescan after lost events, or by polling
  Action action = Action::kUnknown;     // event rows only

  bool isStatus() const { return image == kNoImage; }

  static constexpr uint8_t kNoKind = 0xFF;
};
static_assert(sizeof(LogRow) <= 48, "a log row must stay small: millions are kept");

class ChangeLog {
 public:
  // The process column's names are looked up in `processNames` as rows are
  // added. With `spill` the rows and texts go to a spill store; without, they
  // stay in memory (for a log that is let go of batch by batch).
  explicit ChangeLog(const ProcessNames& processNames = ProcessNames::Shared(),
                     std::optional<SpillSettings> spill = std::nullopt);

  void AddEvent(const ChangeEvent& event, std::string_view user);
  // A row with no image: time, a status text and a folder path.
  void AddStatus(const platform::SystemTime& time, std::string_view text, std::string_view path,
                 StatusKind kind = StatusKind::kOther);
  // Gives back every row, its memory and its disk.
  void Clear();
  // Forgets the rows but keeps their memory and the interned texts: for a
  // log that is read as it grows and let go at once, so a row costs no
  // allocation.
  void Rewind();

  // Rows that found no room (the disk and then the memory cap were full)
  // since the last Clear().
  uint64_t droppedRows() const { return droppedRows_; }
  // Bytes of the spill file, 0 while everything is in memory.
  size_t DiskBytes() const { return store_ ? store_->DiskBytes() : 0; }
  // Once after the disk failed to take more: why and in which folder.
  std::optional<SpillFailure> TakeStoreFailure() {
    return store_ ? store_->TakeFailure() : std::nullopt;
  }

  size_t size() const { return rows_.size(); }
  // Rows are indexed in the order they were added: 0 is the oldest. Views
  // that show the newest row on top turn the index round.
  const LogRow& row(size_t index) const { return rows_[index]; }
  std::string CellText(size_t index, int column) const;
  // The same text without a string of its own: a view of the stored text, or
  // of `buffer` where it is formatted; valid until the log or buffer changes.
  using CellBuffer = std::array<char, 48>;
  std::string_view CellView(size_t index, int column, CellBuffer& buffer) const;
  int Image(size_t index) const { return rows_[index].image; }
  // What a status row is about.
  StatusKind StatusKindOf(size_t index) const { return statuses_[rows_[index].statusId].kind; }
  std::string_view Path(size_t index) const { return texts_.View(rows_[index].path); }
  // The command name of the process behind a row; empty when not known.
  std::string_view ProcessName(size_t index) const { return commandNames_[rows_[index].processNameId]; }
  // The command name of a process as the next row of it will name it; empty
  // when not known.
  std::string ProcessNameOf(int32_t pid) { return commandNames_[InternProcessName(pid)]; }

  // Memory in use beyond the row texts themselves.
  size_t BytesPerRowOverhead() const { return sizeof(LogRow); }
  size_t BytesReserved() const;

 private:
  uint16_t InternStatus(std::string_view text, StatusKind kind);
  uint32_t InternUser(std::string_view user);
  uint32_t InternProcessName(int32_t pid);
  std::optional<TextRef> StoreText(std::string_view text);
  LogRow* NewRow(std::optional<TextRef> path, std::optional<TextRef> oldPath);

  std::unique_ptr<SpillStore> store_;  // before the rows and texts that live in it
  ChunkedVector<LogRow> rows_;
  TextArena texts_;
  RecentTexts recentTexts_;
  uint64_t droppedRows_ = 0;
  // Status texts are few and repeat.
  struct Status {
    std::string text;
    StatusKind kind;
  };
  std::vector<Status> statuses_;
  std::unordered_map<std::string, uint16_t> statusIds_;  // by kind and text
  std::vector<std::string> users_;  // users_[0] is the empty name
  std::unordered_map<std::string, uint32_t> userIds_;
  const ProcessNames* processNames_;
  std::vector<std::string> commandNames_;  // commandNames_[0] is the unknown name
  std::unordered_map<std::string, uint32_t> commandNameIds_;
  // A burst comes from one process: its name is asked once while no name changes.
  struct LastProcess {
    int32_t pid = 0;
    uint64_t version = 0;
    uint32_t nameId = 0;
  } lastProcess_;
};

}  // namespace tavrek::engine
