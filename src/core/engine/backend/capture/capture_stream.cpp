#include "core/engine/backend/capture/capture_stream.h"

#include <cstring>

namespace tavrek::engine {
namespace {

constexpr size_t kHeaderSize = sizeof(uint32_t) + 1;

enum ChangeBits : uint8_t {
  kIsDirectory = 1,
  kFromScan = 2,
  kUntouchedSinceMade = 4,
};

enum ResultBits : uint8_t {
  kEnded = 1,
  kPendingPairs = 2,
  kWatchLimitReached = 4,
  kRescanned = 8,
};

template <typename Number>
void Put(std::string& out, Number value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void PutText(std::string& out, std::string_view text) {
  Put(out, static_cast<uint32_t>(text.size()));
  out.append(text);
}

// Reads from a frame's payload; `ok` turns false at the first read past its end.
class PayloadReader {
 public:
  explicit PayloadReader(std::string_view payload) : rest_(payload) {}
  template <typename Number>
  Number Get() {
    Number value{};
    if (rest_.size() < sizeof value) {
      ok_ = false;
      return value;
    }
    std::memcpy(&value, rest_.data(), sizeof value);
    rest_.remove_prefix(sizeof value);
    return value;
  }
  std::string GetText() {
    const auto length = Get<uint32_t>();
    if (!ok_ || rest_.size() < length) {
      ok_ = false;
      return {};
    }
    std::string text(rest_.substr(0, length));
    rest_.remove_prefix(length);
    return text;
  }
  bool ok() const { return ok_; }
  bool done() const { return rest_.empty(); }

 private:
  std::string_view rest_;
  bool ok_ = true;
};

uint8_t ResultBitsOf(const DrainResult& result) {
  return static_cast<uint8_t>((result.ended ? kEnded : 0) |
                              (result.pendingPairs ? kPendingPairs : 0) |
                              (result.watchLimitReached ? kWatchLimitReached : 0) |
                              (result.rescanned ? kRescanned : 0));
}

void PutChange(std::string& out, const RawChange& change, std::string_view processName) {
  Put(out, static_cast<uint8_t>(change.action));
  Put(out, static_cast<uint8_t>((change.isDirectory ? kIsDirectory : 0) |
                                (change.fromScan ? kFromScan : 0) |
                                (change.untouchedSinceMade ? kUntouchedSinceMade : 0)));
  Put(out, change.pid);
  PutText(out, change.path);
  PutText(out, change.oldPath);
  PutText(out, processName);
}

constexpr uint8_t kLastAction = static_cast<uint8_t>(RawAction::kAccessed);

bool GetChange(PayloadReader& reader, CaptureChange& item) {
  const auto action = reader.Get<uint8_t>();
  const auto bits = reader.Get<uint8_t>();
  item.change.action = static_cast<RawAction>(action);
  item.change.isDirectory = bits & kIsDirectory;
  item.change.fromScan = bits & kFromScan;
  item.change.untouchedSinceMade = bits & kUntouchedSinceMade;
  item.change.pid = reader.Get<int32_t>();
  item.change.path = reader.GetText();
  item.change.oldPath = reader.GetText();
  item.processName = reader.GetText();
  return reader.ok() && action <= kLastAction;
}

bool ReadBatch(std::string_view payload, CaptureBatch& batch) {
  PayloadReader reader(payload);
  const auto bits = reader.Get<uint8_t>();
  batch.result.ended = bits & kEnded;
  batch.result.pendingPairs = bits & kPendingPairs;
  batch.result.watchLimitReached = bits & kWatchLimitReached;
  batch.result.rescanned = bits & kRescanned;
  batch.result.overflows = reader.Get<uint32_t>();
  batch.result.deniedDirectories = reader.Get<uint32_t>();
  batch.result.firstDenied = reader.GetText();
  batch.result.rescanBegin = reader.Get<uint32_t>();
  const auto count = reader.Get<uint32_t>();
  // Each change takes at least its fixed part: a count beyond that is a lie.
  if (!reader.ok() || count > payload.size()) return false;
  batch.changes.resize(count);
  for (CaptureChange& item : batch.changes) {
    if (!GetChange(reader, item)) return false;
  }
  return reader.done();
}

constexpr uint8_t kUidKnown = 1;

bool ReadProcesses(std::string_view payload, std::vector<ProcessFacts>& processes) {
  PayloadReader reader(payload);
  const auto count = reader.Get<uint32_t>();
  if (!reader.ok() || count > payload.size()) return false;
  processes.resize(count);
  for (ProcessFacts& facts : processes) {
    facts.pid = reader.Get<int32_t>();
    facts.name = reader.GetText();
    facts.exe = reader.GetText();
    const auto uid = reader.Get<uint32_t>();
    if (reader.Get<uint8_t>() == kUidKnown) facts.uid = uid;
  }
  return reader.ok() && reader.done();
}

void AppendFrame(std::string& out, CaptureFrameType type, size_t start) {
  const auto length = static_cast<uint32_t>(out.size() - start - kHeaderSize);
  std::memcpy(out.data() + start, &length, sizeof length);
  out[start + sizeof length] = static_cast<char>(type);
}

size_t BeginFrame(std::string& out) {
  const size_t start = out.size();
  out.append(kHeaderSize, '\0');
  return start;
}

}  // namespace

void AppendStartedFrame(std::string& out) {
  AppendFrame(out, CaptureFrameType::kStarted, BeginFrame(out));
}

void AppendFailedFrame(std::string& out, std::string_view message) {
  const size_t start = BeginFrame(out);
  out.append(message);
  AppendFrame(out, CaptureFrameType::kFailed, start);
}

void AppendBatchFrame(std::string& out, const DrainResult& result,
                      const std::vector<RawChange>& changes, size_t first,
                      const std::vector<std::string>& processNames) {
  const size_t start = BeginFrame(out);
  Put(out, ResultBitsOf(result));
  Put(out, result.overflows);
  Put(out, result.deniedDirectories);
  PutText(out, result.firstDenied);
  Put(out, static_cast<uint32_t>(result.rescanBegin >= first ? result.rescanBegin - first : 0));
  Put(out, static_cast<uint32_t>(changes.size() - first));
  for (size_t index = first; index < changes.size(); ++index) {
    PutChange(out, changes[index], processNames[index - first]);
  }
  AppendFrame(out, CaptureFrameType::kBatch, start);
}

void AppendProcessesFrame(std::string& out, const std::vector<ProcessFacts>& processes) {
  const size_t start = BeginFrame(out);
  Put(out, static_cast<uint32_t>(processes.size()));
  for (const ProcessFacts& facts : processes) {
    Put(out, facts.pid);
    PutText(out, facts.name);
    PutText(out, facts.exe);
    Put(out, facts.uid.value_or(0));
    Put(out, static_cast<uint8_t>(facts.uid ? kUidKnown : 0));
  }
  AppendFrame(out, CaptureFrameType::kProcesses, start);
}

std::optional<CaptureReader::Frame> CaptureReader::Next(bool& broken) {
  const std::string_view rest = std::string_view(buffer_).substr(position_);
  if (rest.size() < kHeaderSize) return std::nullopt;
  uint32_t length = 0;
  std::memcpy(&length, rest.data(), sizeof length);
  const auto type = static_cast<CaptureFrameType>(rest[sizeof length]);
  if (length > kMaxCaptureFrame) {
    broken = true;
    return std::nullopt;
  }
  if (rest.size() < kHeaderSize + length) return std::nullopt;
  const std::string_view payload = rest.substr(kHeaderSize, length);
  position_ += kHeaderSize + length;
  Frame frame{type, {}, {}, {}};
  if (type == CaptureFrameType::kFailed) {
    frame.message = std::string(payload);
  } else if (type == CaptureFrameType::kBatch) {
    broken = !ReadBatch(payload, frame.batch);
  } else if (type == CaptureFrameType::kProcesses) {
    broken = !ReadProcesses(payload, frame.processes);
  } else if (type != CaptureFrameType::kStarted) {
    broken = true;
  }
  // What was read goes once it is most of the buffer: linear in the stream.
  if (position_ * 2 > buffer_.size()) {
    buffer_.erase(0, position_);
    position_ = 0;
  }
  if (broken) return std::nullopt;
  return frame;
}

}  // namespace tavrek::engine
