// Verifying an output image by reading it back: a sound output gives the
// summary alone, a damaged one is caught and named, and rooms left out for
// lack of room are listed as expected.
#include "app/verify.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/job/transfer_job.h"
#include "app/room_lists.h"
#include "fixture/rom_fixture.h"
#include "fixture/test_image.h"
#include "fixture/text_lines.h"

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

}  // namespace
