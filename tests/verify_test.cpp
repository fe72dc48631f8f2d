// Verifying an output image by reading it back: a sound output gives the
// summary alone, a damaged one is caught and named, and rooms left out for
// lack of room are listed as expected.
#include "app/verify.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/game_check.h"
#include "app/job/transfer_job.h"
#include "app/room_lists.h"
#include "e2e_support.h"
#include "fixture/loading_rom.h"
#include "fixture/rom_fixture.h"
#include "fixture/test_image.h"
#include "fixture/text_lines.h"
#include "picture/room_load_check.h"

namespace {

TransferResult Transfer(const RoomSet& sourceRooms, const RoomSet& destinationRooms,
                        const std::string& roomList) {
  RomImage source = fixture::TestImage(fixture::BuildRom(sourceRooms), "a.sfc");
  RomImage destination = fixture::TestImage(fixture::BuildRom(destinationRooms), "b.sfc");
  RoomList sourceList;
  RoomList destinationList;
  if (roomList.empty()) {
    FillIdentityRoomLists(sourceList, destinationList);
  } else {
    ParseRoomList(roomList, sourceList, destinationList);
  }
  return RunTransferJob(source, destination, sourceList, destinationList, "_b.sfc");
}

using fixture::Lines;

bool StartsWith(const std::string& text, const std::string& start) {
  return text.rfind(start, 0) == 0;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(VerifyView, SoundOutputReadsBackAsWritten) {
  TransferResult result =
      Transfer(fixture::SimpleRooms(), fixture::RandomRooms(7), "1-40-2-41-3-300");
  const VerifyReport report = VerifyOutput(result);
  EXPECT_EQ(report.text, "320 rooms read back as written\n");
  EXPECT_EQ(report.unexpected, 0);
}

TEST(VerifyView, CorruptedLayerTableEntryIsCaughtAndNamed) {
  TransferResult result = Transfer(fixture::SimpleRooms(), fixture::SimpleRooms(), "");
  // Room 301's entry now points at room 303's layer data: same length, other bytes.
  const std::uint32_t room303 = fixture::Long(result.out.bytes, fixture::LAYER_TABLE + 3 * 303);
  fixture::PutLong(result.out.bytes, fixture::LAYER_TABLE + 3 * 301, room303);

  const VerifyReport report = VerifyOutput(result);
  EXPECT_EQ(report.unexpected, 1);
  const std::vector<std::string> lines = Lines(report.text);
  ASSERT_EQ(lines.size(), 2u) << report.text;
  EXPECT_EQ(lines[0], "Room 0x12D (301): layer data: byte 1: written 0x2E, reads back 0x30");
  EXPECT_EQ(lines[1], "1 difference found");
}

TEST(VerifyView, TorchesLeftOutForLackOfRoomAreExpected) {
  // The source's room 10 fills the whole torch table; the destination's room
  // 20 keeps its one torch, so room 10's torches no longer fit when they land
  // on room 30.
  RoomSet sourceRooms = fixture::SimpleRooms();
  RoomSet destinationRooms = fixture::SimpleRooms();
  for (RoomData& room : sourceRooms.rooms) room.torches.clear();
  for (RoomData& room : destinationRooms.rooms) room.torches.clear();
  for (std::uint16_t torch = 0; torch < 190; ++torch) sourceRooms[10].torches.push_back(torch);
  destinationRooms[20].torches = {0x1234};

  TransferResult result = Transfer(sourceRooms, destinationRooms, "10-30");
  const VerifyReport report = VerifyOutput(result);
  EXPECT_EQ(report.unexpected, 0);
  const std::vector<std::string> lines = Lines(report.text);
  ASSERT_EQ(lines.size(), 2u) << report.text;
  EXPECT_TRUE(StartsWith(lines[0], "Room 0x01E (30): torches: written 190 word")) << lines[0];
  EXPECT_TRUE(EndsWith(lines[0], "; left out for lack of room (expected)")) << lines[0];
  EXPECT_EQ(lines[1], "320 rooms read back as written (1 expected difference)");

  // An unexpected difference beside it is counted alone.
  fixture::PutWord(result.out.bytes, fixture::MESSAGE_TABLE + 2 * 5, 0xBEEF);
  const VerifyReport damaged = VerifyOutput(result);
  EXPECT_EQ(damaged.unexpected, 1);
  const std::vector<std::string> damagedLines = Lines(damaged.text);
  ASSERT_EQ(damagedLines.size(), 3u) << damaged.text;
  EXPECT_EQ(damagedLines[0], "Room 0x005 (5): message: written 0x0105, reads back 0xBEEF");
  EXPECT_EQ(damagedLines[1], lines[0]);
  EXPECT_EQ(damagedLines[2], "1 difference found (1 expected difference not counted)");
}

// --- The moved rooms loaded by the game's own code ---------------------------
//
// On synthetic loading ROMs, whose load reads each room through the game's
// tables: source rooms 2, 8, 1 and 0x65 onto 4, 16 (pushable blocks at other
// offsets of the table), 17 (torches likewise) and 0x21.

namespace game_check {

const std::string ROOM_LIST = "2-4-8-16-1-17-101-33";

struct LoadingJob {
  RomImage source = fixture::TestImage(fixture::BuildLoadingRom(), "a.sfc");
  RoomList sourceRooms;
  RoomList destinationRooms;
  TransferResult result;

  LoadingJob() {
    RomImage destination = fixture::TestImage(fixture::BuildLoadingRom(), "b.sfc");
    ParseRoomList(ROOM_LIST, sourceRooms, destinationRooms);
    result = RunTransferJob(source, destination, sourceRooms, destinationRooms, "_b.sfc");
  }
  std::string Check() const {
    return CheckRoomsInGame(GameCheckSource{&source, source.name}, result.out, sourceRooms,
                            destinationRooms)
        .text;
  }
};

// The file offset of `room`'s layer data and header in the output.
std::uint32_t LayerData(const ByteList& out, int room) {
  return fixture::SnesToPc(fixture::Long(out, fixture::LAYER_TABLE + 3 * room));
}
std::uint32_t Header(const ByteList& out, int room) {
  const std::uint32_t bank = fixture::Byte(out, fixture::HEADER_BANK_FIELD);
  return fixture::SnesToPc(bank << 16 | fixture::Word(out, fixture::HEADER_TABLE + 2 * room));
}

TEST(GameCheck, MovedRoomsLoadAsInTheSourceWithTheNeighbourLookCutOut) {
  const LoadingJob job;
  EXPECT_EQ(job.Check(), "4 moved rooms load in the new ROM as in the source\n");

  // Room 8's pushable block and room 1's torches lie at other offsets of the
  // new ROM's tables, and the neighbour look, run, would mark each room.
  RoomLoader source;
  RoomLoader out;
  PrepareRoomLoader(source, job.source.bytes);
  PrepareRoomLoader(out, job.result.out.bytes);
  const auto slotPointer = [](const RoomLoader& loader, std::uint32_t slot) {
    return loader.machine.bus.workRam.at(0x0520 + 2 * slot);
  };
  for (const auto& [from, onto] : {std::pair{8, 16}, std::pair{1, 17}}) {
    ASSERT_TRUE(LoadRoom(source, from).loaded);
    ASSERT_TRUE(LoadRoom(out, onto).loaded);
    EXPECT_NE(slotPointer(source, 0), slotPointer(out, 0)) << from;
    EXPECT_EQ(FirstLoadDifference(source.machine.bus, out.machine.bus).region, nullptr) << from;
  }
  out.code.at(fixture::SnesToPc(NEIGHBOUR_DOORS_ROUTINE.address)) = NEIGHBOUR_DOORS_BYTES.at(0);
  ASSERT_TRUE(LoadRoom(source, 2).loaded);
  ASSERT_TRUE(LoadRoom(out, 4).loaded);
  const LoadDifference looked = FirstLoadDifference(source.machine.bus, out.machine.bus);
  ASSERT_NE(looked.region, nullptr);
  EXPECT_EQ(looked.region->start + 2 * looked.entry, fixture::NEIGHBOUR_MARK & 0xFFFF);
  EXPECT_EQ(looked.second, 0x0404u);
}

TEST(GameCheck, AHandChangedByteOfAMovedRoomIsNamed) {
  struct Case {
    const char* what;
    void (*change)(ByteList& out);
    std::string lines;
  };
  const std::vector<Case> cases = {
      {"layer data byte", [](ByteList& out) { fixture::PutByte(out, LayerData(out, 4) + 1, 0x77); },
       "Room 0x002 onto 0x004 loads differently: BG2 tile (1, 16): 0x0402 in the source, 0x0477 "
       "in the new ROM\n1 of 4 moved rooms loads differently in the new ROM\n"},
      {"header byte", [](ByteList& out) { fixture::PutByte(out, Header(out, 4) + 2, 0x99); },
       "Room 0x002 onto 0x004 loads differently: header: blockset and spriteset entry 0 "
       "($7E:0AA2): 0x24 in the source, 0x99 in the new ROM\n"
       "1 of 4 moved rooms loads differently in the new ROM\n"},
      {"a room the game treats apart",
       [](ByteList& out) { fixture::PutByte(out, LayerData(out, 33) + 1, 0x77); },
       "Room 0x065 onto 0x021 loads differently: BG2 tile (1, 16): 0x0465 in the source, 0x0477 "
       "in the new ROM (room 0x065 is treated apart by the game's loading code)\n"
       "1 of 4 moved rooms loads differently in the new ROM\n"},
      {"pushable block word",
       [](ByteList& out) {
         const std::uint32_t table = fixture::SnesToPc(fixture::Long(out, 0x15AFA));
         fixture::PutWord(out, table + 4 * 2 + 2, 0x1010);  // the table's third entry: room 16's
       },
       "Room 0x008 onto 0x010 loads differently: BG1 tile (4, 32): 0x0800 in the source, 0x0000 "
       "in the new ROM\n1 of 4 moved rooms loads differently in the new ROM\n"},
      {"load that stops",
       [](ByteList& out) { fixture::PutByte(out, fixture::SnesToPc(0x01F800), 0x00); },
       "Room 0x002 onto 0x004 does not load in the new ROM: Underworld_LoadRoom: BRK at $01:F800\n"
       "Room 0x008 onto 0x010 does not load in the new ROM: Underworld_LoadRoom: BRK at $01:F800\n"
       "Room 0x001 onto 0x011 does not load in the new ROM: Underworld_LoadRoom: BRK at $01:F800\n"
       "Room 0x065 onto 0x021 does not load in the new ROM: Underworld_LoadRoom: BRK at $01:F800 "
       "(room 0x065 is treated apart by the game's loading code)\n"
       "4 of 4 moved rooms load differently in the new ROM\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LoadingJob job;
    c.change(job.result.out.bytes);
    EXPECT_EQ(job.Check(), c.lines);
  }
}

TEST(GameCheck, WithoutTheGamesCodeOneLineSaysWhyNot) {
  LoadingJob job;
  const std::string lines = CheckRoomsInGame(GameCheckSource{nullptr, "a.pack"}, job.result.out,
                                             job.sourceRooms, job.destinationRooms)
                                .text;
  EXPECT_EQ(lines,
            "Game check not made: a.pack is a room pack, which holds no code of the game.\n");

  const RomImage plain = fixture::TestImage(fixture::BuildRom(fixture::SimpleRooms()), "p.sfc");
  EXPECT_EQ(CheckRoomsInGame(GameCheckSource{&plain, plain.name}, job.result.out, job.sourceRooms,
                             job.destinationRooms)
                .text,
            "Game check not made: p.sfc does not hold the game's "
            "Underworld_LoadEntrance_DoPotsBlocksTorches at $02:DAF0.\n");

  fixture::PutByte(job.result.out.bytes, fixture::SnesToPc(0x01B759), 0x60);
  EXPECT_EQ(job.Check(),
            "Game check not made: _b.sfc does not hold the game's "
            "Underworld_CheckAdjacentRoomsForOpenDoors at $01:B759.\n");
}

// Through the command line: after the read-back's verdict, in a two-ROM run,
// a one-ROM run (whose output --verify leaves as it is) and from a room pack.
TEST(GameCheck, TheRunPrintsItsLineAfterTheReadBack) {
  e2e::Workspace workspace;
  workspace.Put("a.sfc", fixture::BuildLoadingRom());
  workspace.Put("b.sfc", fixture::BuildLoadingRom(fixture::RandomRooms(7)));
  const std::string readBack = "320 rooms read back as written\n";

  const fixture::RunResult twoRoms =
      workspace.Run({"--verify", "--dry-run", "a.sfc", "b.sfc", "2-4-8-16"});
  EXPECT_EQ(twoRoms.exitStatus, 0);
  EXPECT_TRUE(EndsWith(twoRoms.output, readBack +
                                           "2 moved rooms load in the new ROM as in the source\n"
                                           "Dry run: nothing was written.\n"))
      << twoRoms.output;

  ASSERT_EQ(workspace.Run({"--rooms", "2:4", "a.sfc"}).exitStatus, 0);
  const ByteList plainOutput = workspace.Get("_a.sfc");
  const fixture::RunResult oneRom = workspace.Run({"--verify", "--rooms", "2:4", "a.sfc"});
  EXPECT_EQ(oneRom.exitStatus, 0);
  EXPECT_TRUE(
      EndsWith(oneRom.output, readBack + "1 moved room loads in the new ROM as in the source\n"))
      << oneRom.output;
  EXPECT_TRUE(workspace.Get("_a.sfc") == plainOutput);

  ASSERT_EQ(workspace.Run({"--export", "a.pack", "a.sfc", "2-2"}).exitStatus, 0);
  const fixture::RunResult fromPack = workspace.Run({"--verify", "a.pack", "b.sfc", "2-4"});
  EXPECT_EQ(fromPack.exitStatus, 0);
  EXPECT_TRUE(EndsWith(fromPack.output,
                       readBack +
                           "Game check not made: a.pack is a room pack, which holds no code of the "
                           "game.\n"))
      << fromPack.output;
}

}  // namespace game_check

}  // namespace
