// Every input the fuzz target once failed on, kept in fuzz/regressions, runs
// through the same harness and keeps every promise now.
#include <gtest/gtest.h>

#include <filesystem>

#include "fixture/run_tool.h"
#include "transfer_job_input.h"

namespace {

TEST(FuzzRegressions, EveryKeptInputKeepsItsPromises) {
  const std::filesystem::path directory = FUZZ_REGRESSIONS_DIR;
  int inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    SCOPED_TRACE(entry.path().filename().string());
    const fixture::ByteList input = fixture::ReadFile(entry.path());
    EXPECT_EQ(fuzzing::CheckTransferJob(input.data(), input.size()), "");
    ++inputs;
  }
  EXPECT_GT(inputs, 0);
}

}  // namespace
