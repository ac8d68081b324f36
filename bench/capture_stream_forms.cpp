// What the capture helper's stream costs per change in its two possible
// forms: the framed binary form it uses, and JSON Lines (escaped on the
// helper's side, parsed on the reader's). Both ends are timed together.
//   capture_stream_forms [CHANGES]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/engine/backend/capture/capture_stream.h"
#include "core/platform/json_reader.h"

namespace {

using namespace tavrek::engine;
using Clock = std::chrono::steady_clock;

constexpr size_t kDefaultChanges = 200'000;
constexpr size_t kBatch = 64;  // changes per frame, as one read of the kernel queue

std::vector<RawChange> Changes(size_t count) {
  std::vector<RawChange> changes(count);
  for (size_t index = 0; index < count; ++index) {
    changes[index].action = RawAction::kModified;
    changes[index].path = "/home/user/Dokumente/projekt/quelle/datei-" + std::to_string(index);
    changes[index].pid = 4000 + static_cast<int32_t>(index % 7);
  }
  return changes;
}

double Binary(const std::vector<RawChange>& changes, size_t& bytes) {
  const auto start = Clock::now();
  const std::vector<std::string> names(kBatch, "touch");
  std::string stream;
  std::vector<RawChange> batch;
  CaptureReader reader;
  size_t read = 0;
  for (size_t first = 0; first < changes.size(); first += kBatch) {
    batch.assign(changes.begin() + first, changes.begin() + std::min(first + kBatch, changes.size()));
    stream.clear();
    AppendBatchFrame(stream, DrainResult{}, batch, 0, names);
    bytes += stream.size();
    reader.Add(stream);
    bool broken = false;
    while (auto frame = reader.Next(broken)) read += frame->batch.changes.size();
  }
  if (read != changes.size()) std::abort();
  return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / changes.size();
}

void AppendEscaped(std::string& out, const std::string& text) {
  out += '"';
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '\\') {
      char code[8];
      std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned char>(c));
      out += code;
    } else {
      out += c;
    }
  }
  out += '"';
}

double Json(const std::vector<RawChange>& changes, size_t& bytes) {
  const auto start = Clock::now();
  std::string line;
  size_t read = 0;
  for (const RawChange& change : changes) {
    line = "{\"action\":" + std::to_string(static_cast<int>(change.action)) + ",\"path\":";
    AppendEscaped(line, change.path);
    line += ",\"old_path\":\"\",\"pid\":" + std::to_string(change.pid) + ",\"process\":\"touch\"}\n";
    bytes += line.size();
    const auto value = tavrek::platform::ParseJson(line);
    read += value && value->Find("path") ? 1 : 0;
  }
  if (read != changes.size()) std::abort();
  return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / changes.size();
}

}  // namespace

int main(int argc, char** argv) {
  const size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : kDefaultChanges;
  const auto changes = Changes(count);
  size_t binaryBytes = 0, jsonBytes = 0;
  const double binary = Binary(changes, binaryBytes);
  const double json = Json(changes, jsonBytes);
  std::printf("%zu changes\nbinary frames: %.0f ns per change, %.1f bytes per change\n"
              "JSON Lines:    %.0f ns per change, %.1f bytes per change\n",
              count, binary, static_cast<double>(binaryBytes) / count, json,
              static_cast<double>(jsonBytes) / count);
  return 0;
}
