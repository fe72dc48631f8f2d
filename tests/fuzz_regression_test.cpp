// Every input the fuzz target once failed on, kept in fuzz/regressions, and
// the minimised corpus kept in fuzz/corpus (the inputs that reach the most of
// the readers and writers) run through the same harness and keep every
// promise now; so do the inputs kept for the editable layout's target in
// fuzz/editable_corpus, for the checksum in fuzz/checksum_corpus, for the
// room pack reader in fuzz/pack_corpus and for the 65816 interpreter in
// fuzz/cpu_corpus.
#include <gtest/gtest.h>

#include <filesystem>

#include "checksum_input.h"
#include "cpu_input.h"
#include "fixture/run_tool.h"
#include "pack_input.h"
#include "transfer_job_input.h"

namespace {

using Check = std::string (*)(const std::uint8_t*, std::size_t);

int ReplayEveryInput(const std::filesystem::path& directory, Check check) {
  int inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    SCOPED_TRACE(entry.path().filename().string());
    const fixture::ByteList input = fixture::ReadFile(entry.path());
    EXPECT_EQ(check(input.data(), input.size()), "");
    ++inputs;
  }
  return inputs;
}

TEST(FuzzRegressions, EveryKeptInputKeepsItsPromises) {
  EXPECT_GT(ReplayEveryInput(FUZZ_REGRESSIONS_DIR, fuzzing::CheckTransferJob), 0);
  EXPECT_GT(ReplayEveryInput(FUZZ_CORPUS_DIR, fuzzing::CheckTransferJob), 0);
  EXPECT_GT(ReplayEveryInput(FUZZ_CHECKSUM_CORPUS_DIR, fuzzing::CheckChecksum), 0);
}

TEST(FuzzRegressions, EveryKeptInterpreterInputKeepsItsPromises) {
  EXPECT_GT(ReplayEveryInput(FUZZ_CPU_CORPUS_DIR, fuzzing::CheckCpuRun), 0);
}

TEST(FuzzRegressions, EveryKeptRoomPackInputKeepsItsPromises) {
  EXPECT_GT(ReplayEveryInput(FUZZ_PACK_CORPUS_DIR, fuzzing::CheckPackInput), 0);
}

// Apart, so that the two long replays run side by side.
TEST(FuzzRegressions, EveryKeptEditableLayoutInputKeepsItsPromises) {
  EXPECT_GT(ReplayEveryInput(FUZZ_EDITABLE_CORPUS_DIR, fuzzing::CheckEditableTransferJob), 0);
}

}  // namespace
