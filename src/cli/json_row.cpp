#include "cli/json_row.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <ctime>

#include "core/engine/action_key.h"
#include "core/engine/process/process_names.h"
#include "core/engine/process/process_text.h"
#include "core/platform/utf8.h"

namespace tavrek::cli {
namespace {

constexpr int64_t kNanosecondsPerMillisecond = 1'000'000;
constexpr int64_t kNanosecondsPerSecond = 1'000'000'000;
constexpr int64_t kMillisecondsPerSecond = 1000;
constexpr int kSecondsPerMinute = 60;
constexpr int kMinutesPerHour = 60;
constexpr int64_t kSecondsPerDay = 86400;
constexpr unsigned char kFirstPrintable = 0x20;

void AppendEscaped(std::string& out, unsigned char c) {
  switch (c) {
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    case '\n': out += "\\n"; return;
    case '\t': out += "\\t"; return;
    case '\r': out += "\\r"; return;
    default: break;
  }
  std::array<char, 8> code;
  std::snprintf(code.data(), code.size(), "\\u%04x", c);
  out += code.data();
}

// "key":"text" when the bytes are UTF-8, else "key_b64":"base64".
void AppendName(std::string& out, std::string_view key, std::string_view bytes) {
  out += ",\"";
  out += key;
  if (IsValidUtf8(bytes)) {
    out += "\":";
    AppendJsonString(out, bytes);
    return;
  }
  out += "_b64\":\"";
  AppendBase64(out, bytes);
  out += '"';
}

void AppendKey(std::string& out, std::string_view key) {
  out += ",\"";
  out += key;
  out += "\":";
}

// The name alone, without the " (pid)" the process column adds.
std::string_view ProcessName(std::string_view shown, pid_t pid) {
  std::array<char, 48> suffix;
  const std::string_view bare = engine::FormatProcessText({}, pid, engine::IsOwnProcess(pid), suffix);
  if (bare.empty() || !shown.ends_with(bare)) return {};
  shown.remove_suffix(bare.size());
  if (shown.ends_with(' ')) shown.remove_suffix(1);
  return shown;
}

int64_t NowNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return now.tv_sec * kNanosecondsPerSecond + now.tv_nsec;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  for (size_t position = 0; position < text.size();) {
    const size_t length = platform::DecodeUtf8At(text, position).length;
    if (length == 0) return false;
    position += length;
  }
  return true;
}

void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < kFirstPrintable || c == '"' || c == '\\') {
      AppendEscaped(out, byte);
    } else {
      out += c;
    }
  }
  out += '"';
}

void AppendBase64(std::string& out, std::string_view bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const uint32_t group = uint32_t{static_cast<unsigned char>(bytes[i])} << 16 |
                           uint32_t{static_cast<unsigned char>(bytes[i + 1])} << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
    for (const int shift : {18, 12, 6, 0}) out += kAlphabet[(group >> shift) & 0x3F];
  }
  const size_t rest = bytes.size() - i;
  if (rest == 0) return;
  uint32_t group = uint32_t{static_cast<unsigned char>(bytes[i])} << 16;
  if (rest == 2) group |= uint32_t{static_cast<unsigned char>(bytes[i + 1])} << 8;
  out += kAlphabet[(group >> 18) & 0x3F];
  out += kAlphabet[(group >> 12) & 0x3F];
  out += rest == 2 ? kAlphabet[(group >> 6) & 0x3F] : '=';
  out += '=';
}

ProcessDetails ReadProcessDetails(pid_t pid) {
  ProcessDetails details;
  if (pid <= 0) return details;
  const std::string folder = "/proc/" + std::to_string(pid);
  struct stat status{};
  if (stat(folder.c_str(), &status) == 0) details.uid = status.st_uid;
  std::array<char, 4096> target;
  const ssize_t length = readlink((folder + "/exe").c_str(), target.data(), target.size());
  if (length > 0 && static_cast<size_t>(length) < target.size()) {
    details.exe = std::string(target.data(), static_cast<size_t>(length));
  }
  return details;
}

int64_t UnixNanosecondsOfDayTime(uint32_t millisecondOfDay, int64_t nowNanoseconds) {
  time_t nowSeconds = static_cast<time_t>(nowNanoseconds / kNanosecondsPerSecond);
  tm local{};
  localtime_r(&nowSeconds, &local);
  const int64_t seconds = millisecondOfDay / kMillisecondsPerSecond;
  local.tm_hour = static_cast<int>(seconds / (kSecondsPerMinute * kMinutesPerHour));
  local.tm_min = static_cast<int>(seconds / kSecondsPerMinute % kMinutesPerHour);
  local.tm_sec = static_cast<int>(seconds % kSecondsPerMinute);
  local.tm_isdst = -1;
  int64_t result = static_cast<int64_t>(mktime(&local)) * kNanosecondsPerSecond +
                   int64_t{millisecondOfDay % kMillisecondsPerSecond} * kNanosecondsPerMillisecond;
  // A second of slack: the row's clock and ours are read apart.
  if (result > nowNanoseconds + kNanosecondsPerSecond) result -= kSecondsPerDay * kNanosecondsPerSecond;
  return result;
}

const ProcessDetails& JsonRowWriter::DetailsOf(pid_t pid) {
  if (pid != lastPid_) {
    lastPid_ = pid;
    lastDetails_ = ReadProcessDetails(pid);
    // Gone already: what its exec told while it started.
    const engine::ProcessFacts known = engine::ProcessNames::Shared().Facts(pid);
    if (!lastDetails_.exe && !known.exe.empty()) lastDetails_.exe = known.exe;
    if (!lastDetails_.uid) lastDetails_.uid = known.uid;
  }
  return lastDetails_;
}

void JsonRowWriter::AppendProcess(const engine::ChangeLog& log, size_t index, std::string& out) {
  const pid_t pid = log.row(index).pid;
  if (pid <= 0) {
    out += ",\"pid\":null,\"process\":null,\"exe\":null,\"uid\":null";
    return;
  }
  AppendKey(out, "pid");
  out += std::to_string(pid);
  engine::ChangeLog::CellBuffer buffer;
  const std::string_view name = ProcessName(log.CellView(index, engine::kLogColumnProcess, buffer), pid);
  if (name.empty()) {
    out += ",\"process\":null";
  } else {
    AppendName(out, "process", name);
  }
  const ProcessDetails& details = DetailsOf(pid);
  if (details.exe) {
    AppendName(out, "exe", *details.exe);
  } else {
    out += ",\"exe\":null";
  }
  AppendKey(out, "uid");
  out += details.uid ? std::to_string(*details.uid) : std::string("null");
}

void JsonRowWriter::Append(const engine::ChangeLog& log, size_t index, std::string& out) {
  const engine::LogRow& row = log.row(index);
  engine::ChangeLog::CellBuffer buffer;
  const auto cell = [&](int column) { return log.CellView(index, column, buffer); };
  out += "{\"time\":";
  AppendJsonString(out, cell(engine::kLogColumnTime));
  AppendKey(out, "ns");
  out += std::to_string(UnixNanosecondsOfDayTime(row.millisecondOfDay, NowNanoseconds()));
  AppendKey(out, "action");
  AppendJsonString(out, cell(engine::kLogColumnAction));
  AppendKey(out, "kind");
  AppendJsonString(out, engine::ActionKey(log, index));
  AppendName(out, "path", cell(engine::kLogColumnName));
  if (const std::string_view old = cell(engine::kLogColumnOldName); !old.empty()) {
    AppendName(out, "old_path", old);
  }
  AppendKey(out, "user");
  AppendJsonString(out, cell(engine::kLogColumnUser));
  AppendKey(out, "intern");
  AppendJsonString(out, cell(engine::kLogColumnIntern));
  AppendProcess(log, index, out);
  out += "}\n";
}

}  // namespace tavrek::cli
