#pragma once
// The stream from the capture helper to the program that started it: framed
// binary records of what a fanotify backend decoded, with the names of the
// processes behind them (read by the helper at once, while they live). Both
// ends are the same build on the same machine, so numbers travel in the
// machine's own byte order. Frames: a 32-bit payload length, one type byte,
// the payload.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine/backend/backend.h"
#include "core/engine/process/process_names.h"

namespace tavrek::engine {

enum class CaptureFrameType : uint8_t {
  kStarted = 1,  // the watch is set up; batches follow
  kFailed = 2,   // payload: the message why the folder cannot be watched
  kBatch = 3,    // one drain: its result and its changes
  kProcesses = 4,  // what is known of the processes of the batch that follows
};

// A change and the name of its process ("" when unknown).
struct CaptureChange {
  RawChange change;
  std::string processName;
};

struct CaptureBatch {
  DrainResult result;
  std::vector<CaptureChange> changes;
};

// A frame no bigger than this is a sane one; a reader refuses the rest.
inline constexpr uint32_t kMaxCaptureFrame = 64u << 20;

void AppendStartedFrame(std::string& out);
void AppendFailedFrame(std::string& out, std::string_view message);
void AppendBatchFrame(std::string& out, const DrainResult& result,
                      const std::vector<RawChange>& changes, size_t first,
                      const std::vector<std::string>& processNames);

void AppendProcessesFrame(std::string& out, const std::vector<ProcessFacts>& processes);

// Takes frames from the front of a growing byte buffer.
class CaptureReader {
 public:
  struct Frame {
    CaptureFrameType type;
    std::string message;  // kFailed
    CaptureBatch batch;   // kBatch
    std::vector<ProcessFacts> processes;  // kProcesses
  };
  void Add(std::string_view bytes) { buffer_.append(bytes); }
  // The next whole frame; nothing while it is incomplete. `broken` is set
  // for a frame that cannot be read (the stream is then useless).
  std::optional<Frame> Next(bool& broken);

 private:
  std::string buffer_;
  size_t position_ = 0;
};

}  // namespace tavrek::engine
