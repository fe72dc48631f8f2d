// Inputs that are no regular file: a pipe, a FIFO, a device. They are read
// with a bound, so one that gives more than 16 MiB (or never ends) is refused
// with the oversized-input line, in bounded memory, creating nothing; a pipe
// carrying a ROM is a normal run.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace {

using e2e::Workspace;

// `command` run by bash in the workspace, with the tool built without
// sanitizers as ROOMXFER and its address space capped at 256 MiB: a read
// without bound ends in "Out of memory." there instead of the refusal.
fixture::RunResult RunInBash(const Workspace& workspace, const std::string& command) {
#ifdef _WIN32
  (void)workspace;
  (void)command;
  return {};
#else
  const std::string script = std::string("ulimit -v 262144; ROOMXFER=") +
                             fixture::ShellQuote(ROOMXFER_PLAIN_PATH) + "; " + command;
  return fixture::RunRoomxfer("/bin/bash", {"-c", script}, workspace.directory.path);
#endif
}

// Process substitution, /dev/fd, FIFOs, /dev/zero and ulimit: the inputs are
// made by bash on a POSIX system.
#ifdef _WIN32
#define SKIP_WITHOUT_POSIX_INPUTS() \
  GTEST_SKIP() << "pipes, FIFOs and devices as named inputs are made by bash on POSIX systems"
#else
#define SKIP_WITHOUT_POSIX_INPUTS() (void)0
#endif

TEST(StreamInputs, APipeCarryingARomIsANormalRun) {
  SKIP_WITHOUT_POSIX_INPUTS();
  Workspace workspace;
  const fixture::ByteList rom = fixture::BuildRom(fixture::SimpleRooms());
  workspace.Put("a.sfc", rom);
  workspace.Put("b.sfc", rom);
  const fixture::RunResult result =
      RunInBash(workspace, "exec \"$ROOMXFER\" <(cat a.sfc) b.sfc 1-2");
  EXPECT_EQ(result.exitStatus, 0) << result.output;
  const fixture::ByteList fromPipe = workspace.Get("_b.sfc");
  EXPECT_EQ(fromPipe.size(), 0x300000u);
  const fixture::RunResult fromFile = workspace.Run({"a.sfc", "b.sfc", "1-2"});
  EXPECT_EQ(fromFile.exitStatus, 0);
  EXPECT_EQ(workspace.Get("_b.sfc"), fromPipe);
}

TEST(StreamInputs, EndlessOrOversizedInputsAreRefusedInOneLine) {
  SKIP_WITHOUT_POSIX_INPUTS();
  const struct {
    const char* title;
    std::string command;  // runs the tool on an input named NAME in the line
    std::string name;
  } cases[] = {
      {"/dev/zero as source", "exec \"$ROOMXFER\" /dev/zero b.sfc", "/dev/zero"},
      {"/dev/urandom as destination", "exec \"$ROOMXFER\" b.sfc /dev/urandom", "/dev/urandom"},
      {"--inspect /dev/zero", "exec \"$ROOMXFER\" --inspect /dev/zero", "/dev/zero"},
      {"pipe of 16 MiB and one byte",
       "exec \"$ROOMXFER\" /dev/fd/3 b.sfc 3< <(head -c 16777217 "
       "/dev/zero)",
       "/dev/fd/3"},
      {"FIFO of 20 MiB",
       "mkfifo f; (head -c 20000000 /dev/urandom > f &); exec \"$ROOMXFER\" f b.sfc", "f"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    Workspace workspace;
    workspace.Put("b.sfc", fixture::BuildRom(fixture::SimpleRooms()));
    const fixture::RunResult result = RunInBash(workspace, c.command);
    EXPECT_EQ(result.output,
              c.name + ": the file is larger than 16 MiB, too large to be a ROM of the game.\n");
    EXPECT_EQ(result.exitStatus, 1);
    std::set<std::string> expected = {"b.sfc"};
    if (c.name == "f") expected.insert("f");
    EXPECT_EQ(workspace.Entries(), expected);
  }
}

TEST(StreamInputs, APipeShorterThanTheBoundIsReadWhole) {
  SKIP_WITHOUT_POSIX_INPUTS();
  // 16 MiB exactly is no ROM of the game, but not too large: the usual refusal follows.
  Workspace workspace;
  workspace.Put("b.sfc", fixture::BuildRom(fixture::SimpleRooms()));
  const fixture::RunResult result =
      RunInBash(workspace, "exec \"$ROOMXFER\" --inspect <(head -c 16777216 /dev/zero)");
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(result.output.find("larger than 16 MiB"), std::string::npos) << result.output;
  EXPECT_EQ(std::count(result.output.begin(), result.output.end(), '\n'), 1) << result.output;
}

}  // namespace
