#include "core/engine/change_log.h"

#include "core/engine/process/process_text.h"

namespace tavrek::engine {
ChangeLog::ChangeLog(const ProcessNames& processNames, std::optional<SpillSettings> spill)
    : store_(spill ? std::make_unique<SpillStore>(std::move(*spill)) : nullptr),
      rows_(store_.get()),
      texts_(store_.get()),
      processNames_(&processNames) {
  Clear();
}

uint16_t ChangeLog::InternStatus(std::string_view text, StatusKind kind) {
  std::string key(1, static_cast<char>(kind));
  key += text;
  auto [it, inserted] =
      statusIds_.try_emplace(std::move(key), static_cast<uint16_t>(statuses_.size()));
  if (inserted) statuses_.push_back({std::string(text), kind});
  return it->second;
}

uint32_t ChangeLog::InternUser(std::string_view user) {
  if (user.empty()) return 0;
  auto [it, inserted] =
      userIds_.try_emplace(std::string(user), static_cast<uint32_t>(users_.size()));
  if (inserted) users_.emplace_back(user);
  return it->second;
}

uint32_t ChangeLog::InternProcessName(int32_t pid) {
  if (pid <= 0) return 0;
  // The version is taken before the name: a change in between makes it stale.
  const uint64_t version = processNames_->Version();
  if (pid == lastProcess_.pid && version == lastProcess_.version) return lastProcess_.nameId;
  std::string name = processNames_->Name(pid);
  uint32_t nameId = 0;
  if (!name.empty()) {
    auto [it, inserted] = commandNameIds_.try_emplace(
        std::move(name), static_cast<uint32_t>(commandNames_.size()));
    if (inserted) commandNames_.push_back(it->first);
    nameId = it->second;
  }
  lastProcess_ = {pid, version, nameId};
  return nameId;
}

std::optional<TextRef> ChangeLog::StoreText(std::string_view text) {
  return store_ ? recentTexts_.Add(texts_, text) : texts_.TryAdd(text);
}

// A row with its texts stored, or nothing (and one more row counted as
// dropped) when the store has no room for all of it.
LogRow* ChangeLog::NewRow(std::optional<TextRef> path, std::optional<TextRef> oldPath) {
  LogRow* row = path && oldPath ? rows_.emplace_back() : nullptr;
  if (row == nullptr) {
    ++droppedRows_;
    return nullptr;
  }
  row->path = *path;
  row->oldPath = *oldPath;
  return row;
}

void ChangeLog::AddEvent(const ChangeEvent& event, std::string_view user) {
  // The path's slot of the recent texts loads while the small texts are interned.
  const uint64_t pathHash = store_ ? recentTexts_.Prefetch(event.path) : 0;
  const uint32_t userId = InternUser(user);
  const uint32_t processNameId = InternProcessName(event.pid);
  const std::optional<TextRef> path =
      store_ ? recentTexts_.Add(texts_, event.path, pathHash) : texts_.TryAdd(event.path);
  LogRow* stored = NewRow(path, path ? StoreText(event.oldPath) : std::nullopt);
  if (stored == nullptr) return;
  LogRow& row = *stored;
  row.millisecondOfDay = platform::MillisecondOfDay(event.time);
  row.userId = userId;
  row.pid = event.pid;
  row.processNameId = processNameId;
  row.action = event.action;
  row.recordPosition = event.recordPosition;
  row.image = static_cast<int8_t>(event.image());
  row.kindIndex = event.kindIndex;
  row.fromRescan = event.fromRescan;
}

void ChangeLog::AddStatus(const platform::SystemTime& time, std::string_view text,
                          std::string_view path, StatusKind kind) {
  LogRow* stored = NewRow(StoreText(path), TextRef{});
  if (stored == nullptr) return;
  LogRow& row = *stored;
  row.millisecondOfDay = platform::MillisecondOfDay(time);
  row.statusId = InternStatus(text, kind);
}

// Everything is given back: a log of millions of rows holds hundreds of
// megabytes that a reset must return.
void ChangeLog::Clear() {
  rows_.clear();
  texts_.Clear();
  recentTexts_.Clear();
  if (store_) store_->Clear();
  droppedRows_ = 0;
  decltype(statuses_)().swap(statuses_);
  decltype(statusIds_)().swap(statusIds_);
  users_ = std::vector<std::string>(1);
  decltype(userIds_)().swap(userIds_);
  commandNames_ = std::vector<std::string>(1);
  decltype(commandNameIds_)().swap(commandNameIds_);
  lastProcess_ = {};
}

std::string ChangeLog::CellText(size_t index, int column) const {
  CellBuffer buffer;
  return std::string(CellView(index, column, buffer));
}

std::string_view ChangeLog::CellView(size_t index, int column, CellBuffer& buffer) const {
  const LogRow& row = rows_[index];
  switch (column) {
    case kLogColumnTime: {
      const int length = platform::FormatTimeText(
          platform::FromMillisecondOfDay(row.millisecondOfDay), buffer.data());
      return {buffer.data(), static_cast<size_t>(length)};
    }
    case kLogColumnAction:
      return row.isStatus() ? std::string_view(statuses_[row.statusId].text)
                            : ActionText(row.action);
    case kLogColumnName: return texts_.View(row.path);
    case kLogColumnOldName: return texts_.View(row.oldPath);
    case kLogColumnUser: return users_[row.userId];
    case kLogColumnIntern:
      if (row.kindIndex == LogRow::kNoKind) return {};
      return FormatInternText(row.recordPosition, row.kindIndex, row.fromRescan, buffer);
    case kLogColumnProcess:
      return FormatProcessText(commandNames_[row.processNameId], row.pid, IsOwnProcess(row.pid),
                               buffer);
    default: return {};
  }
}

void ChangeLog::Rewind() {
  if (store_) {
    // A stored log is never let go of in part: everything goes.
    rows_.clear();
    texts_.Clear();
    recentTexts_.Clear();
    store_->Clear();
    return;
  }
  rows_.rewind();
  texts_.Rewind();
}

size_t ChangeLog::BytesReserved() const {
  return rows_.BytesReserved() + texts_.BytesReserved();
}

}  // namespace tavrek::engine
