// A disk that fills up while the output or a headerless copy is written: the
// run ends with one line naming the file, exit status 1, no file under that
// name, an earlier file of that name unchanged and no temporary file left.
// The output may be stored sparse, so the disks are smaller than the data
// written. For real on a small tmpfs where the machine lets the test mount one, and
// through the file-writing module's test seam everywhere.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/mount.h>
#endif

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/run.h"
#include "e2e_support.h"
#include "rom/rom_file.h"

namespace {

using e2e::Workspace;
using fixture::ByteList;
namespace fs = std::filesystem;

const ByteList EARLIER = {0x6F, 0x6C, 0x64};

ByteList Rom() { return fixture::BuildRom(fixture::SimpleRooms()); }

std::map<std::string, ByteList> Files(const Workspace& workspace) {
  std::map<std::string, ByteList> files;
  for (const auto& entry : fs::recursive_directory_iterator(workspace.directory.path)) {
    if (entry.is_regular_file()) {
      const std::string name =
          fixture::Utf8Name(fs::relative(entry.path(), workspace.directory.path));
      files[name] = workspace.Get(name);
    }
  }
  return files;
}

#ifndef _WIN32
// A tmpfs of `size` mounted on `directory` for the life of the object.
struct SmallDisk {
  fs::path directory;
  std::string refused;  // why it could not be mounted; empty when mounted

  SmallDisk(fs::path where, const char* size) : directory(std::move(where)) {
    fs::create_directories(directory);
    const std::string options = std::string("size=") + size;
    if (mount("tmpfs", directory.c_str(), "tmpfs", 0, options.c_str()) != 0) {
      refused = std::strerror(errno);
    }
  }
  ~SmallDisk() {
    if (refused.empty()) umount2(directory.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
};
#endif

struct FullDiskCase {
  const char* title;
  std::string destination;  // the destination ROM; "d/..." so its written files land in _d or
                            // _NoHeader_d, where the small disk is mounted
  bool headered;
  std::string fullDirectory;  // where the disk is mounted
  const char* diskSize;
  std::string writtenName;  // the file that does not fit
};

const FullDiskCase FULL_DISK_CASES[] = {
    {"output", "d/b.sfc", false, "_d", "32k", "_d/b.sfc"},
    {"headerless copy of the destination", "d/b.smc", true, "_NoHeader_d", "16k",
     "_NoHeader_d/b.smc"},
};

TEST(FullDisk, WritingOnAFullFilesystemLeavesNothingHalfWritten) {
#ifdef _WIN32
  GTEST_SKIP() << "a small tmpfs is mounted for it, which Windows has not; the test seam below "
                  "covers the same failures";
#else
  for (const FullDiskCase& c : FULL_DISK_CASES) {
    SCOPED_TRACE(c.title);
    Workspace workspace;
    workspace.Put("a.sfc", Rom());
    workspace.Put(c.destination, c.headered ? fixture::WithCopierHeader(Rom()) : Rom());
    SmallDisk disk(workspace.Path(c.fullDirectory), c.diskSize);
    if (!disk.refused.empty()) {
      GTEST_SKIP() << "cannot mount a small tmpfs here (" << disk.refused
                   << "); the test seam below covers the same failures";
    }
    workspace.Put(c.writtenName, EARLIER);
    const auto before = Files(workspace);
    const fixture::RunResult result = workspace.Run({"a.sfc", c.destination, "1-2"});
    const std::string expected =
        "Could not write " + c.writtenName + ": No space left on device.\n";
    ASSERT_GE(result.output.size(), expected.size()) << result.output;
    EXPECT_EQ(result.output.substr(result.output.size() - expected.size()), expected);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(Files(workspace), before) << "an input, the earlier file or a temporary changed";
    std::vector<std::string> onDisk;
    for (const auto& entry : fs::directory_iterator(disk.directory)) {
      onDisk.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(onDisk, std::vector<std::string>{fs::path(c.writtenName).filename().string()});
  }
#endif
}

// Runs the tool in this process, in `directory`.
struct InProcessRun {
  int exitStatus;
  std::string output;
};

InProcessRun RunHere(const fs::path& directory, std::vector<std::string> arguments) {
  const fs::path home = fs::current_path();
  fs::current_path(directory);
  std::vector<char*> argv = {const_cast<char*>("roomxfer")};
  for (std::string& argument : arguments) argv.push_back(argument.data());
  testing::internal::CaptureStdout();
  const int status = RunCommandLine(static_cast<int>(argv.size()), argv.data());
  const std::string output = testing::internal::GetCapturedStdout();
  fs::current_path(home);
  return {status, output};
}

TEST(FullDisk, WriteFailingAtAnyPointThroughTheTestSeam) {
  const struct {
    const char* title;
    std::vector<std::string> arguments;
    std::string writtenName;
    std::int64_t limit;  // bytes written before the disk is full
  } cases[] = {
      {"output, nothing written", {"a.sfc", "b.sfc"}, "_b.sfc", 0},
      {"output, one byte", {"a.sfc", "b.sfc"}, "_b.sfc", 1},
      {"output, all but the last byte", {"a.sfc", "b.sfc"}, "_b.sfc", 0x2FFFFF},
      {"source copy, nothing written", {"h.smc", "b.sfc"}, "_NoHeader_h.smc", 0},
      {"source copy, all but the last byte", {"h.smc", "b.sfc"}, "_NoHeader_h.smc", 0xFFFFF},
      {"destination copy, half", {"a.sfc", "g.smc"}, "_NoHeader_g.smc", 0x80000},
      {"one-ROM run, copy", {"h.smc"}, "_NoHeader_h.smc", 0x10},
  };
  Workspace workspace;
  workspace.Put("a.sfc", Rom());
  workspace.Put("b.sfc", Rom());
  workspace.Put("h.smc", fixture::WithCopierHeader(Rom()));
  workspace.Put("g.smc", fixture::WithCopierHeader(Rom()));
  for (const char* earlier : {"_b.sfc", "_NoHeader_h.smc", "_NoHeader_g.smc", "_h.smc"}) {
    workspace.Put(earlier, EARLIER);
  }
  const auto before = Files(workspace);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    SetWriteLimitForTesting(c.limit);
    const InProcessRun run = RunHere(workspace.directory.path, c.arguments);
    SetWriteLimitForTesting(-1);
    const std::string expected =
        "Could not write " + c.writtenName + ": No space left on device.\n";
    ASSERT_GE(run.output.size(), expected.size()) << run.output;
    EXPECT_EQ(run.output.substr(run.output.size() - expected.size()), expected);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(Files(workspace), before) << "an input, an earlier file or a temporary changed";
  }
}

TEST(FullDisk, TheSameRunSucceedsOnceThereIsRoom) {
  Workspace workspace;
  workspace.Put("a.sfc", Rom());
  workspace.Put("g.smc", fixture::WithCopierHeader(Rom()));
  workspace.Put("_g.smc", EARLIER);
  SetWriteLimitForTesting(0x300000);  // exactly the output's size: every write fits
  const InProcessRun run = RunHere(workspace.directory.path, {"a.sfc", "g.smc"});
  SetWriteLimitForTesting(-1);
  EXPECT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(workspace.Get("_g.smc").size(), 0x300000u);
  EXPECT_EQ(workspace.Get("_NoHeader_g.smc"), Rom());
  EXPECT_EQ(workspace.Entries(),
            (std::set<std::string>{"a.sfc", "g.smc", "_g.smc", "_NoHeader_g.smc"}));
}

}  // namespace
