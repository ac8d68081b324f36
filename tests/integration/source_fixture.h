#pragma once
// A folder source on a fresh temporary folder, once per kernel backend;
// fanotify cases skip where this process may not use it.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/engine/action.h"
#include "core/engine/backend/backend.h"
#include "support/source_harness.h"
#include "support/temp_folder.h"

namespace tavrek::testing {

class SourceTest : public ::testing::TestWithParam<engine::BackendType> {
 protected:
  void SetUp() override {
    if (GetParam() == engine::BackendType::Fanotify && !engine::FanotifyUsable(folder.slashed())) {
      GTEST_SKIP() << "fanotify cannot be used by this process";
    }
  }

  void Start(engine::KindSet kinds = AllKinds(), bool subtree = true) {
    harness.emplace(folder.slashed(), GetParam(), kinds, subtree);
    ASSERT_TRUE(harness->ready());
  }

  std::string Path(const std::string& relative) const { return folder.slashed() + relative; }

  TempFolder folder;
  std::optional<SourceHarness> harness;  // ends before the folder goes
};

inline std::string BackendTestName(const ::testing::TestParamInfo<engine::BackendType>& info) {
  return std::string(engine::BackendName(info.param));
}

#define TAVREK_FOR_EVERY_BACKEND(suite)                                                  \
  INSTANTIATE_TEST_SUITE_P(Backends, suite,                                              \
                           ::testing::Values(engine::BackendType::Inotify,               \
                                             engine::BackendType::Fanotify),             \
                           BackendTestName)

}  // namespace tavrek::testing
