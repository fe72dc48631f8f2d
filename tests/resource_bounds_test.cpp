// Resource bounds of a whole run on inputs up to 4 MiB, measured on the tool
// built without sanitizers (they multiply memory): peak resident memory under
// 32 MiB for the ROMs a transfer can be made with, and no input, however
// damaged, keeps a run busy for a second. A room pack of 16 MiB, the most a
// pack may be, is read or refused within 64 MiB and 2 seconds, whatever its
// lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "fixture/test_image.h"

namespace {

using e2e::Workspace;
using fixture::ByteList;

constexpr std::size_t FOUR_MIB = 0x400000;
constexpr long MEMORY_BOUND_KIB = 32 * 1024;
constexpr auto TIME_BOUND = std::chrono::seconds(1);

struct Measured {
  int exitStatus = -1;
  long peakKib = 0;  // the child's peak resident memory
  std::chrono::duration<double> elapsed{};
};

// Runs the plain roomxfer in `directory` and measures that one run, through
// a small program that forks it (see measure_peak.cpp).
Measured RunMeasured(const std::filesystem::path& directory,
                     const std::vector<std::string>& arguments) {
#ifdef _WIN32
  (void)directory;
  (void)arguments;
  return {};
#else
  std::vector<std::string> command = {ROOMXFER_PLAIN_PATH};
  command.insert(command.end(), arguments.begin(), arguments.end());
  const fixture::RunResult result =
      fixture::RunRoomxfer(std::filesystem::path(MEASURE_PEAK_PATH), command, directory);
  Measured measured;
  double seconds = 0;
  if (result.exitStatus != 0 ||
      std::sscanf(result.output.c_str(), "%d %ld %lf", &measured.exitStatus, &measured.peakKib,
                  &seconds) != 3) {
    ADD_FAILURE() << "cannot measure a run: " << result.output;
  }
  measured.elapsed = std::chrono::duration<double>(seconds);
  return measured;
#endif
}

// The peak is measured by a small program that forks the run and waits for
// it with wait4, which Windows has not.
#ifdef _WIN32
#define SKIP_WITHOUT_FORK() \
  GTEST_SKIP() << "the run's peak memory is measured through fork and wait4 (POSIX)"
#else
#define SKIP_WITHOUT_FORK() (void)0
#endif

ByteList FourMibRom(std::uint32_t seed, const fixture::RandomOptions& options = {}) {
  fixture::RomOptions layout;
  layout.size = FOUR_MIB;
  return fixture::BuildRom(fixture::RandomRooms(seed, options), layout);
}

// Every room's list of one kind made as long as its reader lets it be: all
// pointers at one run of 0x00 bytes without terminator.
void EndlessLayers(ByteList& rom) {
  for (std::uint32_t room = 0; room < ROOM_COUNT; ++room) {
    fixture::PutLong(rom, fixture::LAYER_TABLE + 3 * room, fixture::PcToSnes(0x300000));
  }
  std::fill(rom.begin() + 0x300000, rom.begin() + 0x310000, 0x00);
}

void EndlessSprites(ByteList& rom) {
  std::fill(rom.begin() + fixture::SPRITE_CODE_AREA_END, rom.begin() + 0x58000, 0x00);
  for (std::uint32_t room = 0; room < ROOM_COUNT; ++room) {
    fixture::PutWord(rom, fixture::SPRITE_TABLE + 2 * room,
                     fixture::PcToSnes(fixture::SPRITE_CODE_AREA_END) & 0xFFFF);
  }
}

void EndlessItems(ByteList& rom) {
  std::fill(rom.begin() + 0x61000, rom.begin() + 0x6A000, 0x00);
  for (std::uint32_t room = 0; room < ROOM_COUNT; ++room) {
    fixture::PutWord(rom, fixture::ITEM_TABLE + 2 * room, fixture::PcToSnes(0x61000) & 0xFFFF);
  }
}

struct BoundCase {
  std::string title;
  ByteList source;
  ByteList destination;  // empty: a one-ROM run
  bool succeeds;
};

std::vector<BoundCase> TransferCases() {
  fixture::RandomOptions large;
  large.maxSectionBytes = 3000;  // about 1.4 MiB of layer data to relocate
  return {
      {"two 4 MiB ROMs, destination with copier header", FourMibRom(1),
       fixture::WithCopierHeader(FourMibRom(2)), true},
      {"one 4 MiB ROM with copier header", fixture::WithCopierHeader(FourMibRom(3)), {}, true},
      {"the largest relocated area", FourMibRom(4), FourMibRom(5, large), true},
  };
}

Measured RunCase(const BoundCase& c) {
  Workspace workspace;
  workspace.Put("a.smc", c.source);
  std::vector<std::string> arguments = {"a.smc"};
  if (!c.destination.empty()) {
    workspace.Put("b.smc", c.destination);
    arguments.push_back("b.smc");
  }
  return RunMeasured(workspace.directory.path, arguments);
}

TEST(ResourceBounds, TransfersOfFourMebibyteRomsStayUnder32MiBAndASecond) {
  SKIP_WITHOUT_FORK();
  for (const BoundCase& c : TransferCases()) {
    SCOPED_TRACE(c.title);
    const Measured measured = RunCase(c);
    EXPECT_EQ(measured.exitStatus, c.succeeds ? 0 : 1);
    EXPECT_LT(measured.peakKib, MEMORY_BOUND_KIB);
    EXPECT_LT(measured.elapsed, TIME_BOUND);
    RecordProperty(c.title, std::to_string(measured.peakKib) + " KiB");
    std::printf("[ measured ] %s: %ld KiB, %.3f s\n", c.title.c_str(), measured.peakKib,
                measured.elapsed.count());
  }
}

// Every list of every room as long as the readers allow, in both ROMs: the
// most reading any input can cause. Refused (the blocks cannot be written),
// and fast. Memory here grows with the room data the ROMs claim to hold
// (the lists of each room are held by value).
TEST(ResourceBounds, EndlessListsInEveryRoomAreRefusedWithinASecond) {
  SKIP_WITHOUT_FORK();
  ByteList worst = FourMibRom(6);
  EndlessLayers(worst);
  EndlessSprites(worst);
  EndlessItems(worst);
  const BoundCase cases[] = {
      {"every list endless, two ROMs", worst, worst, false},
      {"every list endless, one ROM", worst, {}, false},
  };
  for (const BoundCase& c : cases) {
    SCOPED_TRACE(c.title);
    const Measured measured = RunCase(c);
    EXPECT_EQ(measured.exitStatus, 1);
    EXPECT_LT(measured.elapsed, TIME_BOUND);
    std::printf("[ measured ] %s: %ld KiB, %.3f s\n", c.title.c_str(), measured.peakKib,
                measured.elapsed.count());
  }
}

constexpr std::size_t PACK_SIZE = 0x1000000;
constexpr long PACK_MEMORY_BOUND_KIB = 64 * 1024;
constexpr auto PACK_TIME_BOUND = std::chrono::seconds(2);

const std::string FORMAT_LINE = "roomxfer room pack 1\n";
const std::string ROOM_START = "room 5\nheader 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D\n";
const std::string ROOM_LISTS =
    "layers\nend\nend\nend\nsprites\nend\nitems\nend\nchests\nblocks\ntorches\n";
const std::string ROOM_END = "pit 00\nmessage 00 00\n";

// `head`, `line` over and over, then `tail`: PACK_SIZE bytes, the rest
// filled with a comment line.
ByteList FilledPack(const std::string& head, const std::string& line, const std::string& tail) {
  std::string text = head;
  text.reserve(PACK_SIZE);
  while (text.size() + line.size() + tail.size() + 3 <= PACK_SIZE) {
    text += line;
  }
  const std::size_t left = PACK_SIZE - text.size() - tail.size();
  text += left >= 3 ? "\n#" + std::string(left - 3, ' ') + "\n" : std::string(left, '\n');
  text += tail;
  return fixture::TextBytes(text);
}

TEST(ResourceBounds, SixteenMebibytePacksAreReadOrRefusedWithin64MiBAndTwoSeconds) {
  SKIP_WITHOUT_FORK();
  const std::string room = ROOM_START + ROOM_LISTS + ROOM_END;
  const std::string beforeChests =
      ROOM_START + "layers\nend\nend\nend\nsprites\nend\nitems\nend\nchests\n";
  struct PackCase {
    std::string title;
    ByteList pack;
    int exitStatus;
  };
  const PackCase cases[] = {
      {"blank lines", FilledPack(FORMAT_LINE, "\n", ""), 1},
      {"comment lines, then a room", FilledPack(FORMAT_LINE, "# a comment\n", room), 0},
      {"note lines, then a room", FilledPack(FORMAT_LINE, "note\n", room), 0},
      {"one note line", FilledPack(FORMAT_LINE + "note ", "x", "\n" + room), 0},
      {"objects in one layer list",
       FilledPack(FORMAT_LINE + ROOM_START + "layers\nfloor 00 00\n", "object 00 00 00\n", ""), 1},
      {"chests in one room",
       FilledPack(FORMAT_LINE + beforeChests, "chest 00 01\n", "blocks\ntorches\n" + ROOM_END), 1},
      {"one header line", FilledPack(FORMAT_LINE + "room 5\nheader", " 00", "\n"), 1},
  };
  Workspace workspace;
  workspace.Put("d.sfc", fixture::BuildRom(fixture::RandomRooms(2)));
  for (const PackCase& c : cases) {
    SCOPED_TRACE(c.title);
    ASSERT_EQ(c.pack.size(), PACK_SIZE);
    workspace.Put("big.pack", c.pack);
    const Measured measured = RunMeasured(workspace.directory.path, {"big.pack", "d.sfc"});
    EXPECT_EQ(measured.exitStatus, c.exitStatus);
    EXPECT_LT(measured.peakKib, PACK_MEMORY_BOUND_KIB);
    EXPECT_LT(measured.elapsed, PACK_TIME_BOUND);
    std::printf("[ measured ] 16 MiB pack, %s: %ld KiB, %.3f s\n", c.title.c_str(),
                measured.peakKib, measured.elapsed.count());
  }
}

}  // namespace
