// The chest table: reading entries by byte count, the chest flag in bit 15,
// and the rebuilt table with its count and three address fields.
#include "tables/chests.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "fixture/rom_fixture.h"
#include "fixture/test_image.h"

namespace {

using fixture::PutLong;
using fixture::PutWord;

constexpr std::uint32_t TABLE = 0x70400;  // SNES 0x0E8400

// An image with a chest table of `entries` (3 bytes each) at TABLE and `count` as its count.
RomImage ChestRom(std::uint16_t count, const ByteList& entries, std::size_t size = 0x80000) {
  ByteList bytes(size, 0x00);
  PutWord(bytes, CHEST_COUNT_FIELD, count);
  PutLong(bytes, CHEST_TABLE_FIELD, fixture::PcToSnes(TABLE));
  fixture::PutBytes(bytes, TABLE, entries);
  return fixture::TestImage(std::move(bytes), "test.smc");
}

RoomSet ReadChests(RomImage rom) {
  RoomSet rooms;
  ReadRoomChests(rom, rooms);
  return rooms;
}

int RoomsWithChests(const RoomSet& rooms) {
  int count = 0;
  for (const RoomData& room : rooms.rooms) count += room.chests.empty() ? 0 : 1;
  return count;
}

TEST(ChestReader, FlagBitAndRoomNumberComeFromTheRoomWord) {
  RoomSet rooms = ReadChests(ChestRom(3, {0x2C, 0x81, 0x05}));
  EXPECT_EQ(rooms[300].chests, (ByteList{0x80, 0x05}));
  EXPECT_EQ(RoomsWithChests(rooms), 1);
}

TEST(ChestReader, ReadsAnEntryAtEveryByteIndexBelowTheCount) {
  // Entries for rooms 1, 2, 3, 4 with items 0x11, 0x22, 0x33, 0x44.
  const ByteList entries = {1, 0, 0x11, 2, 0, 0x22, 3, 0, 0x33, 4, 0, 0x44};
  const struct {
    std::uint16_t count;
    int entriesRead;
  } cases[] = {{0, 0}, {1, 1}, {3, 1}, {4, 2}, {6, 2}, {7, 3}, {9, 3}, {10, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    RoomSet rooms = ReadChests(ChestRom(c.count, entries));
    EXPECT_EQ(RoomsWithChests(rooms), c.entriesRead);
    for (int room = 1; room <= c.entriesRead; ++room) {
      EXPECT_EQ(rooms[room].chests, (ByteList{0x00, static_cast<std::uint8_t>(0x11 * room)}));
    }
  }
}

TEST(ChestReader, RoomAbove319IsSkippedAndTheNextEntryRead) {
  // 320 with the flag, 0x7FFF without, then room 5 twice: its chests keep table order.
  RoomSet rooms =
      ReadChests(ChestRom(12, {0x40, 0x81, 0x01, 0xFF, 0x7F, 0x02, 5, 0x80, 0x09, 5, 0x00, 0x0A}));
  EXPECT_EQ(rooms[5].chests, (ByteList{0x80, 0x09, 0x00, 0x0A}));
  EXPECT_EQ(RoomsWithChests(rooms), 1);
}

TEST(ChestReader, ReadingPastTheEndOfTheFileStopsTheRun) {
  // The table starts 4 bytes before the end: the second entry is cut off.
  RomImage rom = ChestRom(6, {}, TABLE + 4);
  RoomSet rooms;
  try {
    ReadRoomChests(rom, rooms);
    FAIL() << "no stop";
  } catch (const std::runtime_error& stop) {
    const std::string line = stop.what();
    EXPECT_NE(line.find("test.smc"), std::string::npos) << line;
    EXPECT_NE(line.find("chest table entry at byte 3"), std::string::npos) << line;
    EXPECT_NE(line.find("0x70403"), std::string::npos) << line;
  }
}

TEST(ChestReader, ReadsTheFixtureTablesOfRandomRooms) {
  for (std::uint32_t seed : {1u, 2u, 3u}) {
    const RoomSet expected = fixture::RandomRooms(seed);
    RoomSet rooms = ReadChests(fixture::TestImage(fixture::BuildRom(expected), "test.smc"));
    for (int room = 0; room < ROOM_COUNT; ++room) {
      ASSERT_EQ(rooms[room].chests, expected[room].chests) << "seed " << seed << " room " << room;
    }
  }
}

TEST(ChestWriter, RestoresRoomWordAndFlagForRoom300) {
  RoomSet rooms;
  rooms[300].chests = {0x80, 0x05};
  OutputRom out = fixture::OutputImageAt(0x1F8000);
  WriteRoomChests(out, rooms);
  EXPECT_EQ(fixture::Slice(out.bytes, 0x1F8010, 3), (ByteList{0x2C, 0x81, 0x05}));
  EXPECT_EQ(fixture::Word(out.bytes, CHEST_COUNT_FIELD), 3);
  EXPECT_EQ(Tell(out), 0x1F8013);
}

TEST(ChestWriter, EntriesGoByRoomInAscendingOrderUsingCompletePairsOnly) {
  RoomSet rooms;
  rooms[10].chests = {0x00, 0x01, 0x80, 0x02, 0x80};  // trailing single byte: nothing
  rooms[3].chests = {0x80, 0x07};
  rooms[4].chests = {0x80};
  OutputRom out = fixture::OutputImageAt(0x1F8000);
  WriteRoomChests(out, rooms);
  EXPECT_EQ(fixture::Slice(out.bytes, 0x1F8010, 9),
            (ByteList{0x03, 0x80, 0x07, 0x0A, 0x00, 0x01, 0x0A, 0x80, 0x02}));
  EXPECT_EQ(fixture::Word(out.bytes, CHEST_COUNT_FIELD), 9);
}

TEST(ChestWriter, EmptySetWritesLabelCountZeroAndAddressesPastTheLabel) {
  fixture::ConsoleCapture console;
  OutputRom out = fixture::OutputImageAt(0x1F8005, fixture::OUTPUT_IMAGE_SIZE, 0xAA);
  out.console = console.file;
  WriteRoomChests(out, RoomSet{});
  EXPECT_EQ(console.Text(), "WriteRoomChests(): uiDataSize = 0\n");
  // The bytes passed over by the alignment keep what the image held.
  EXPECT_EQ(fixture::Slice(out.bytes, 0x1F8005, 11), ByteList(11, 0xAA));
  EXPECT_EQ(fixture::Slice(out.bytes, 0x1F8010, 16),
            (ByteList{'C', 'h', 'e', 's', 't', 's', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(out.bytes.at(0x1F8020), 0xAA);
  EXPECT_EQ(fixture::Word(out.bytes, CHEST_COUNT_FIELD), 0);
  EXPECT_EQ(fixture::Long(out.bytes, 0xEBFB), 0x3F8020u);
  EXPECT_EQ(fixture::Long(out.bytes, 0xEC10), 0x3F8020u);
  EXPECT_EQ(fixture::Long(out.bytes, 0xEC0A), 0x3F8022u);
  EXPECT_EQ(Tell(out), 0x1F8020);
  ASSERT_EQ(out.placedBlocks.size(), 1u);
  EXPECT_EQ(out.placedBlocks[0].kind, BlockKind::Chests);
  EXPECT_EQ(out.placedBlocks[0].start, 0x1F8010);
  EXPECT_EQ(out.placedBlocks[0].end, 0x1F8020);
}

TEST(ChestWriter, BlockThatWouldCrossABankStartsInTheNextBank) {
  fixture::ConsoleCapture console;
  RoomSet rooms;
  rooms[1].chests = {0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x00, 0x05, 0x00, 0x06};
  OutputRom out = fixture::OutputImageAt(0x1FFFE0);  // label + 18 bytes would end past 0x200000
  out.console = console.file;
  WriteRoomChests(out, rooms);
  EXPECT_EQ(console.Text(), "WriteRoomChests(): uiDataSize = 12\n");
  EXPECT_EQ(fixture::Slice(out.bytes, 0x1FFFE0, 0x20), ByteList(0x20, 0x00));
  EXPECT_EQ(fixture::Slice(out.bytes, 0x200000, 6), (ByteList{'C', 'h', 'e', 's', 't', 's'}));
  EXPECT_EQ(fixture::Long(out.bytes, 0xEBFB), 0x408010u);
  EXPECT_EQ(fixture::Long(out.bytes, 0xEC0A), 0x408012u);
  EXPECT_EQ(Tell(out), 0x200022);
}

TEST(ChestWriter, WrittenTableReadsBackUnchanged) {
  const RoomSet expected = fixture::RandomRooms(11);
  OutputRom out = fixture::OutputImageAt(0x1F8000);
  WriteRoomChests(out, expected);
  RoomSet rooms;
  ReadRoomChests(out, rooms);
  for (int room = 0; room < ROOM_COUNT; ++room) {
    ASSERT_EQ(rooms[room].chests, expected[room].chests) << "room " << room;
  }
}

// The editors read three times the count from the table's start: that span
// holds the entries and then FF FF FF entries, the block keeps at least 504
// bytes after its label, and its space beyond the span is not written.
TEST(ChestWriter, EditorsSpanHoldsTheEntriesThenFillerAndTheBlockKeepsTheirRoom) {
  struct Case {
    std::uint8_t chests;
    std::int64_t space;  // bytes of the block after its label
    const char* line;
  };
  for (const Case& test : {Case{0, 504, "WriteRoomChests(): uiDataSize = 0\n"},
                           Case{3, 504, "WriteRoomChests(): uiDataSize = 9\n"},
                           Case{60, 540, "WriteRoomChests(): uiDataSize = B4\n"}}) {
    SCOPED_TRACE(static_cast<int>(test.chests));
    RoomSet rooms;
    for (std::uint8_t chest = 0; chest < test.chests; ++chest) {
      rooms[300].chests.insert(rooms[300].chests.end(), {0x80, chest});
    }
    fixture::ConsoleCapture console;
    OutputRom out = fixture::OutputImageAt(0x1F8000, fixture::OUTPUT_IMAGE_SIZE, 0xAA);
    out.console = console.file;
    WriteRoomChestsForEditors(out, rooms);
    const std::size_t length = 3u * test.chests;
    EXPECT_EQ(console.Text(), test.line);
    EXPECT_EQ(fixture::Word(out.bytes, CHEST_COUNT_FIELD), length);
    EXPECT_EQ(fixture::Long(out.bytes, 0xEBFB), 0x3F8010u);
    if (test.chests > 0) {
      EXPECT_EQ(fixture::Slice(out.bytes, 0x1F8010 + length - 3, 3),
                (ByteList{0x2C, 0x81, static_cast<std::uint8_t>(test.chests - 1)}));
    }
    EXPECT_EQ(fixture::Slice(out.bytes, 0x1F8010 + length, 2 * length), ByteList(2 * length, 0xFF));
    EXPECT_EQ(out.bytes.at(0x1F8010 + 3 * length), 0xAA);
    EXPECT_EQ(Tell(out), 0x1F8010 + test.space);
    ASSERT_EQ(out.placedBlocks.size(), 1u);
    EXPECT_EQ(out.placedBlocks[0].end, 0x1F8010 + test.space);
  }
}

}  // namespace
