// Reading an output back and comparing it with what was written: a sound job
// reads back exactly; the differences the format accepts are marked expected;
// a damaged output is caught with the room, the kind and what differs.
#include "app/job/read_back.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/job/transfer_job.h"
#include "app/room_lists.h"
#include "fixture/rom_fixture.h"
#include "fixture/test_image.h"
#include "tables/pushable_blocks.h"
#include "tables/torches.h"

namespace {

using fixture::ByteList;

TransferResult RunJob(const ByteList& source, const ByteList& destination,
                      const RoomList& sourceRooms, const RoomList& destinationRooms) {
  RomImage sourceImage = fixture::TestImage(source, "a.sfc");
  RomImage destinationImage = fixture::TestImage(destination, "b.sfc");
  return RunTransferJob(sourceImage, destinationImage, sourceRooms, destinationRooms, "_b.sfc");
}

TransferResult RunJob(const ByteList& source, const ByteList& destination) {
  RoomList sourceRooms;
  RoomList destinationRooms;
  FillIdentityRoomLists(sourceRooms, destinationRooms);
  return RunJob(source, destination, sourceRooms, destinationRooms);
}

std::vector<RoomDifference> Differences(TransferResult& result) {
  return CompareReadBack(result.destinationSet, ReadBackOutput(result.out), result.out);
}

std::string Describe(const std::vector<RoomDifference>& differences) {
  std::string text;
  for (const RoomDifference& d : differences) {
    text += std::to_string(d.room) + " " + d.kind + ": " + d.detail +
            (d.expected ? " (expected)\n" : "\n");
  }
  return text;
}

TEST(ReadBack, SoundJobReadsBackExactly) {
  TransferResult result = RunJob(fixture::BuildRom(fixture::RandomRooms(21)),
                                 fixture::BuildRom(fixture::RandomRooms(22)));
  const std::vector<RoomDifference> differences = Differences(result);
  EXPECT_TRUE(differences.empty()) << Describe(differences);
  EXPECT_EQ(ReadBackOutput(result.out), result.destinationSet);
}

// The fuzz harnesses and the corpus replay run job after job into one result.
TEST(ReadBack, JobRunIntoAnEarlierResultWritesWhatAFreshRunWrites) {
  TransferResult result = RunJob(fixture::BuildRom(fixture::RandomRooms(31)),
                                 fixture::BuildRom(fixture::RandomRooms(32)));
  const ByteList earlier = result.out.bytes;
  const ByteList rom = fixture::BuildRom(fixture::SimpleRooms());
  const TransferResult fresh = RunJob(rom, rom);
  bool staleBytePossible = false;
  for (std::size_t at = 0; at < fresh.out.bytes.size() && !staleBytePossible; ++at) {
    staleBytePossible = fresh.out.bytes[at] == 0x00 && earlier[at] != 0x00;
  }
  ASSERT_TRUE(staleBytePossible);

  RomImage image = fixture::TestImage(rom, "a.sfc");
  RoomList sourceRooms;
  RoomList destinationRooms;
  FillIdentityRoomLists(sourceRooms, destinationRooms);
  RunTransferJob(image, image, sourceRooms, destinationRooms, "_b.sfc", result);
  EXPECT_EQ(result.out.bytes, fresh.out.bytes);
  EXPECT_EQ(result.destinationSet, fresh.destinationSet);
  EXPECT_EQ(result.out.placedBlocks.size(), fresh.out.placedBlocks.size());
}

TEST(ReadBack, RoomsLeftOutOfTheTablesAreExpectedDifferences) {
  RoomSet rooms = fixture::SimpleRooms();
  for (RoomData& room : rooms.rooms) {
    room.torches.clear();
    room.pushableBlocks.clear();
  }
  rooms[5].torches = WordList(60, 0x1234);         // 124 bytes of the 384
  rooms[5].pushableBlocks = WordList(30, 0x4321);  // 120 bytes of the 512
  const ByteList rom = fixture::BuildRom(rooms);
  // Room 5 onto rooms 6 to 9: the torches of rooms 8 and 9 and the blocks of room 9 do not fit.
  TransferResult result = RunJob(rom, rom, {5, 5, 5, 5}, {6, 7, 8, 9});
  EXPECT_EQ(RoomsLeftOutOfTorchTable(result.destinationSet), (std::vector<int>{8, 9}));
  EXPECT_EQ(RoomsLeftOutOfPushableBlockTable(result.destinationSet), (std::vector<int>{9}));

  const std::vector<RoomDifference> differences = Differences(result);
  ASSERT_EQ(differences.size(), 3u) << Describe(differences);
  const std::vector<std::pair<int, std::string>> found = {
      {differences[0].room, differences[0].kind},
      {differences[1].room, differences[1].kind},
      {differences[2].room, differences[2].kind}};
  EXPECT_EQ(found, (std::vector<std::pair<int, std::string>>{
                       {8, "torches"}, {9, "pushable blocks"}, {9, "torches"}}));
  for (const RoomDifference& difference : differences) {
    EXPECT_TRUE(difference.expected) << Describe(differences);
  }
  EXPECT_EQ(differences[0].detail, "written 60 words, reads back 0; left out for lack of room");
}

TEST(ReadBack, WriterReportsExactlyTheRoomsLeftOut) {
  RoomSet rooms;
  rooms[3].torches = WordList(150, 1);  // 304 bytes
  rooms[4].torches = WordList(50, 2);   // 104 bytes: does not fit
  rooms[5].torches = WordList(36, 3);   // 76 bytes: fits exactly (380 bytes)
  rooms[6].torches = WordList(1, 4);    // 6 bytes: does not fit
  rooms[10].pushableBlocks = WordList(100, 5);
  rooms[11].pushableBlocks = WordList(40, 6);
  rooms[12].pushableBlocks = WordList(28, 7);
  EXPECT_EQ(RoomsLeftOutOfTorchTable(rooms), (std::vector<int>{4, 6}));
  EXPECT_EQ(RoomsLeftOutOfPushableBlockTable(rooms), (std::vector<int>{11}));

  OutputRom out = fixture::OutputImageAt(0x1F8030);
  const fixture::Outcome outcome = fixture::CaptureRun(out, [&] {
    WriteRoomPushableBlocks(out, rooms);
    WriteRoomTorches(out, rooms);
  });
  EXPECT_EQ(outcome.printed,
            "Not enough memory for pushable blocks for room 11\n"
            "WriteRoomPushableBlocks(): uiDataSize = 200\n"
            "Not enough memory for torches for room 4\n"
            "Not enough memory for torches for room 6\n"
            "WriteRoomTorches(): uiDataSize = 17C\n");
}

TEST(ReadBack, LayerDataGainingTheTrailingByteIsExpected) {
  RoomSet rooms = fixture::SimpleRooms();
  rooms[4].layerData = {0x01, 0xFF, 0xFF, 0x02, 0xFF, 0xFF, 0x03, 0xFF, 0xFF};  // no trailing 0xFF
  rooms[4].doorOffset.reset();
  fixture::RomOptions options;
  options.size = 0x200000;
  ByteList destination = fixture::BuildRom(rooms, options);
  std::fill(destination.begin() + 0x1F8000, destination.end(), 0xFF);  // unused, as 0xFF

  TransferResult result = RunJob(destination, destination);
  const std::vector<RoomDifference> differences = Differences(result);
  ASSERT_FALSE(differences.empty());
  for (const RoomDifference& difference : differences) {
    EXPECT_EQ(difference.kind, "layer data");
    EXPECT_TRUE(difference.expected) << Describe(differences);
  }
  const auto room4 = std::find_if(differences.begin(), differences.end(),
                                  [](const RoomDifference& d) { return d.room == 4; });
  ASSERT_NE(room4, differences.end());
  EXPECT_EQ(room4->detail, "written 9 bytes, reads back 10");
}

TEST(ReadBack, DoorOffsetsLostWithoutADoorTableAreExpected) {
  fixture::RomOptions noDoors;
  noDoors.doorTable = false;
  TransferResult result = RunJob(fixture::BuildRom(fixture::SimpleRooms()),
                                 fixture::BuildRom(fixture::SimpleRooms(), noDoors));
  const std::vector<RoomDifference> differences = Differences(result);
  ASSERT_EQ(differences.size(), 160u) << Describe(differences);  // the even rooms
  for (const RoomDifference& difference : differences) {
    EXPECT_EQ(difference.kind, "door offset");
    EXPECT_TRUE(difference.expected);
  }
  EXPECT_EQ(differences[0].detail, "written 0xF, reads back none");
}

TEST(ReadBack, DamagedOutputIsCaughtRoomByRoom) {
  const RoomSet rooms = fixture::SimpleRooms();
  const ByteList rom = fixture::BuildRom(rooms);
  const struct {
    const char* kind;
    int room;
    std::string detail;
    void (*damage)(RomImage&);
  } cases[] = {
      {"header", 7, "byte 3: written 0x3A, reads back 0x3B",
       [](RomImage& out) {
         const std::uint8_t bank = out.bytes[0xB5E7];
         const std::uint32_t header =
             fixture::SnesToPc((bank << 16) | fixture::Word(out.bytes, fixture::HEADER_TABLE + 14));
         ++out.bytes[header + 3];
       }},
      {"message", 300, "written 0x022C, reads back 0x0000",
       [](RomImage& out) { fixture::PutWord(out.bytes, fixture::MESSAGE_TABLE + 600, 0); }},
      {"pit", 3, "written 1, reads back 0",
       [](RomImage& out) {
         const std::uint32_t list = fixture::SnesToPc(fixture::Long(out.bytes, 0x394AB));
         fixture::PutWord(out.bytes, list, 0x13F);  // the first pit room, 3, becomes 319
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    TransferResult result = RunJob(rom, rom);
    c.damage(result.out);
    const std::vector<RoomDifference> differences = Differences(result);
    ASSERT_FALSE(differences.empty());
    const auto found = std::find_if(differences.begin(), differences.end(),
                                    [&](const RoomDifference& d) { return d.room == c.room; });
    ASSERT_NE(found, differences.end()) << Describe(differences);
    EXPECT_EQ(found->kind, c.kind);
    EXPECT_EQ(found->detail, c.detail);
    EXPECT_FALSE(found->expected);
  }
}

}  // namespace
