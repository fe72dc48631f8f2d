// Input files are never written, no file the run writes replaces another it
// uses, and a failed run leaves no output behind (an earlier output stays).
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>

#include "app/run.h"
#include "e2e_support.h"
#include "rom/rom_file.h"

namespace {

using e2e::Workspace;
using fixture::ByteList;

ByteList SimpleRom() { return fixture::BuildRom(fixture::SimpleRooms()); }

void ExpectRefusedNaming(const fixture::RunResult& result, const std::string& file) {
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_NE(result.output.find(file), std::string::npos) << result.output;
  EXPECT_EQ(std::count(result.output.begin(), result.output.end(), '\n'), 1) << result.output;
  EXPECT_EQ(result.output.back(), '\n');
}

TEST(CollidingFiles, OutputThatIsAnInputIsRefusedBeforeAnythingIsCreated) {
  const ByteList rom = SimpleRom();
  const ByteList headered = fixture::WithCopierHeader(rom);
  const struct {
    const char* title;
    std::vector<std::string> arguments;
    const char* named;
  } cases[] = {
      {"output is the source", {"_b.sfc", "b.sfc"}, "_b.sfc"},
      {"output is the source by another path", {"./_b.sfc", "b.sfc"}, "_b.sfc"},
      {"output is the source through a link", {"link.sfc", "b.sfc"}, "_b.sfc"},
      {"output is the source's headerless copy", {"a.smc", "NoHeader_a.smc"}, "_NoHeader_a.smc"},
      {"headerless copy is the destination", {"a.smc", "_NoHeader_a.smc"}, "_NoHeader_a.smc"},
      {"picture is the source through a link", {"--picture", "link.sfc", "_b.sfc"}, "_b.sfc"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    Workspace workspace;
    workspace.Put("_b.sfc", rom);
    workspace.Put("b.sfc", rom);
    workspace.Put("a.smc", headered);
    workspace.Put("NoHeader_a.smc", rom);
    workspace.Put("_NoHeader_a.smc", rom);
    e2e::Link(workspace, "_b.sfc", "link.sfc");
    if (std::string(c.title) == "output is the source's headerless copy") {
      std::filesystem::remove(workspace.Path("_NoHeader_a.smc"));
    }
    const auto before = workspace.Entries();
    ExpectRefusedNaming(workspace.Run(c.arguments), c.named);
    EXPECT_EQ(workspace.Entries(), before);
    EXPECT_EQ(workspace.Get("_b.sfc"), rom);
    EXPECT_EQ(workspace.Get("b.sfc"), rom);
    EXPECT_EQ(workspace.Get("a.smc"), headered);
  }
}

TEST(CollidingFiles, SameHeaderedFileAsSourceAndDestinationIsANormalRun) {
  Workspace workspace;
  const ByteList headered = fixture::WithCopierHeader(SimpleRom());
  workspace.Put("a.smc", headered);
  e2e::Link(workspace, "a.smc", "l.smc");
  for (const auto& arguments : {std::vector<std::string>{"a.smc", "a.smc", "3-8-8-3"},
                                std::vector<std::string>{"a.smc", "l.smc"}}) {
    const fixture::RunResult result = workspace.Run(arguments);
    EXPECT_EQ(result.exitStatus, 0) << result.output;
    EXPECT_EQ(workspace.Get("a.smc"), headered);
    EXPECT_EQ(workspace.Get("_NoHeader_a.smc"), SimpleRom());
  }
  EXPECT_TRUE(workspace.Has("_a.smc"));
}

TEST(FailedRuns, ReadOutsideTheFileLeavesNoOutputAndKeepsAnEarlierOne) {
  Workspace workspace;
  ByteList destination = SimpleRom();
  // The header table now starts 16 bytes before the end of the file.
  fixture::PutLong(destination, fixture::HEADER_TABLE_FIELD,
                   fixture::PcToSnes(static_cast<std::uint32_t>(destination.size() - 16)));
  workspace.Put("a.sfc", SimpleRom());
  workspace.Put("b.sfc", destination);
  const ByteList earlier = {1, 2, 3};
  workspace.Put("_b.sfc", earlier);
  const fixture::RunResult result = workspace.Run({"a.sfc", "b.sfc"});
  EXPECT_EQ(result.output,
            "b.sfc: cannot read the room header pointer table at offset 0x100000: it lies "
            "outside the file (0x100000 bytes).\n");
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(workspace.Get("_b.sfc"), earlier);
  EXPECT_EQ(workspace.Get("b.sfc"), destination);
  EXPECT_EQ(workspace.Entries(), (std::set<std::string>{"a.sfc", "b.sfc", "_b.sfc"}));
}

TEST(FailedRuns, InputsLargerThanSixteenMebibytesAreRefusedBeforeAnythingIsCreated) {
  for (const bool asDestination : {false, true}) {
    SCOPED_TRACE(asDestination ? "destination" : "source");
    Workspace workspace;
    workspace.Put("h.smc", fixture::WithCopierHeader(SimpleRom()));
    workspace.Put("big.sfc", {});
    std::filesystem::resize_file(workspace.Path("big.sfc"), 0x1000001);  // sparse
    const auto before = workspace.Entries();
    const std::vector<std::string> arguments = asDestination
                                                   ? std::vector<std::string>{"h.smc", "big.sfc"}
                                                   : std::vector<std::string>{"big.sfc", "h.smc"};
    ExpectRefusedNaming(workspace.Run(arguments), "big.sfc");
    EXPECT_EQ(workspace.Entries(), before);
  }
}

// Runs the tool in this process, with the file-writing test seam set.
struct InProcessRun {
  int exitStatus;
  std::string output;
};

InProcessRun RunHere(const std::filesystem::path& directory, std::vector<std::string> arguments) {
  const std::filesystem::path home = std::filesystem::current_path();
  std::filesystem::current_path(directory);
  std::vector<char*> argv = {const_cast<char*>("roomxfer")};
  for (std::string& argument : arguments) {
    argv.push_back(argument.data());
  }
  testing::internal::CaptureStdout();
  const int status = RunCommandLine(static_cast<int>(argv.size()), argv.data());
  std::filesystem::current_path(home);
  return {status, testing::internal::GetCapturedStdout()};
}

TEST(FailedRuns, WriteThatFailsPartWayLeavesNoFileAndNoTemporaryBehind) {
  Workspace workspace;
  const ByteList earlier = {7, 7, 7};
  workspace.Put("a.sfc", SimpleRom());
  workspace.Put("b.sfc", SimpleRom());
  workspace.Put("_b.sfc", earlier);
  workspace.Put("h.smc", fixture::WithCopierHeader(SimpleRom()));
  const struct {
    std::vector<std::string> arguments;
    std::string expected;
  } cases[] = {
      {{"a.sfc", "b.sfc"}, "Could not write _b.sfc: No space left on device.\n"},
      {{"h.smc", "b.sfc"}, "Could not write _NoHeader_h.smc: No space left on device.\n"},
  };
  const auto before = workspace.Entries();
  for (const auto& c : cases) {
    SetWriteLimitForTesting(0x1000);
    const InProcessRun run = RunHere(workspace.directory.path, c.arguments);
    SetWriteLimitForTesting(-1);
    // The writers' progress lines come first; the failure is the last line.
    ASSERT_GE(run.output.size(), c.expected.size());
    EXPECT_EQ(run.output.substr(run.output.size() - c.expected.size()), c.expected);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(workspace.Entries(), before);
    EXPECT_EQ(workspace.Get("_b.sfc"), earlier);
  }
}

TEST(FailedRuns, OutputCreatedWithTheUsualPermissions) {
  Workspace workspace;
  workspace.Put("b.sfc", SimpleRom());
#ifdef _WIN32
  // No umask there: a plain new file is one without the read-only attribute.
  ASSERT_EQ(workspace.Run({"b.sfc"}).exitStatus, 0);
  const auto permissions = std::filesystem::status(workspace.Path("_b.sfc")).permissions();
  EXPECT_NE(permissions & std::filesystem::perms::owner_write, std::filesystem::perms::none);
#else
  const mode_t mask = umask(022);
  umask(mask);
  ASSERT_EQ(workspace.Run({"b.sfc"}).exitStatus, 0);
  const auto permissions = std::filesystem::status(workspace.Path("_b.sfc")).permissions();
  EXPECT_EQ(static_cast<unsigned>(permissions), 0666u & ~static_cast<unsigned>(mask));
#endif
}

}  // namespace
