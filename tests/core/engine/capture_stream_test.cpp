// The capture helper's stream: a batch comes back as it was sent, in pieces
// of any size, and a damaged stream is refused, never trusted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/engine/backend/capture/capture_stream.h"

namespace {

using namespace tavrek::engine;

std::string SampleStream() {
  RawChange renamed{.action = RawAction::kRenamed, .isDirectory = true, .path = "/a/new\n\xff",
                    .oldPath = "/a/old\t", .pid = 42};
  RawChange written{.action = RawAction::kModified, .fromScan = true, .path = "/a/b", .oldPath = {}, .pid = 7};
  std::string stream;
  AppendStartedFrame(stream);
  AppendBatchFrame(stream, DrainResult{.overflows = 3, .rescanned = true, .rescanBegin = 1},
                   {renamed, written}, 0, {"mv", ""});
  AppendFailedFrame(stream, "gone");
  AppendProcessesFrame(stream, {{42, "mv", "/usr/bin/mv", 1000}, {7, "", "", std::nullopt}});
  return stream;
}

TEST(CaptureStreamTest, FramesComeBackWhateverPiecesTheyArriveInAndDamagedOnesAreRefused) {
  const std::string stream = SampleStream();
  for (const size_t piece : {size_t{1}, size_t{7}, stream.size()}) {
    CaptureReader reader;
    std::vector<CaptureReader::Frame> frames;
    bool broken = false;
    for (size_t at = 0; at < stream.size(); at += piece) {
      reader.Add(std::string_view(stream).substr(at, piece));
      while (auto frame = reader.Next(broken)) frames.push_back(std::move(*frame));
    }
    ASSERT_FALSE(broken);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].type, CaptureFrameType::kStarted);
    const CaptureBatch& batch = frames[1].batch;
    EXPECT_EQ(batch.result.overflows, 3u);
    EXPECT_TRUE(batch.result.rescanned);
    EXPECT_EQ(batch.result.rescanBegin, 1u);
    ASSERT_EQ(batch.changes.size(), 2u);
    EXPECT_EQ(batch.changes[0].change.path, "/a/new\n\xff");
    EXPECT_EQ(batch.changes[0].change.oldPath, "/a/old\t");
    EXPECT_TRUE(batch.changes[0].change.isDirectory);
    EXPECT_EQ(batch.changes[0].processName, "mv");
    EXPECT_EQ(batch.changes[1].change.action, RawAction::kModified);
    EXPECT_TRUE(batch.changes[1].change.fromScan);
    EXPECT_EQ(frames[2].message, "gone");
    const std::vector<ProcessFacts>& processes = frames[3].processes;
    ASSERT_EQ(processes.size(), 2u);
    EXPECT_EQ(processes[0].exe, "/usr/bin/mv");
    EXPECT_EQ(processes[0].uid, 1000u);
    EXPECT_FALSE(processes[1].uid.has_value());
  }
  // Damaged frames are refused.
  const size_t batchStart = 5;  // after the empty started frame
  std::string cut = stream;
  cut[batchStart] = static_cast<char>(cut[batchStart] - 1);  // one byte short of its changes
  std::string huge = stream;
  huge[batchStart + 3] = '\x7f';  // a length no sane frame has
  std::string unknown = stream;
  unknown[batchStart + 4] = '\x09';
  for (const std::string& damaged : {cut, huge, unknown}) {
    CaptureReader reader;
    reader.Add(damaged);
    bool broken = false;
    while (reader.Next(broken)) {
    }
    EXPECT_TRUE(broken);
  }
}

}  // namespace
