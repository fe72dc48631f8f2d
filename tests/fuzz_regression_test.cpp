// Every input the fuzz target once failed on, kept in fuzz/regressions, and
// the minimised corpus kept in fuzz/corpus (the inputs that reach the most of
// the readers and writers) run through the same harness and keep every
// promise now.
#include <gtest/gtest.h>

#include <filesystem>

#include "fixture/run_tool.h"
#include "transfer_job_input.h"

namespace {

int ReplayEveryInput(const std::filesystem::path& directory) {
  int inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    SCOPED_TRACE(entry.path().filename().string());
    const fixture::ByteList input = fixture::ReadFile(entry.path());
    EXPECT_EQ(fuzzing::CheckTransferJob(input.data(), input.size()), "");
    ++inputs;
  }
  return inputs;
}

TEST(FuzzRegressions, EveryKeptInputKeepsItsPromises) {
  EXPECT_GT(ReplayEveryInput(FUZZ_REGRESSIONS_DIR), 0);
  EXPECT_GT(ReplayEveryInput(FUZZ_CORPUS_DIR), 0);
}

}  // namespace
