// The pushable block table: four windows read by one byte count, the
// 0x200-byte limit of the rebuilt table, and its count and window addresses.
#include "tables/pushable_blocks.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "fixture/rom_fixture.h"
#include "fixture/test_image.h"

namespace {

using fixture::PutLong;
using fixture::PutWord;

constexpr std::uint32_t COUNT = 0x8896;
constexpr std::uint32_t WINDOW_FIELDS[4] = {0x15AFA, 0x15B01, 0x15B08, 0x15B0F};

// An image whose window k holds 32 entries (room `rooms[k]`, block 0x100 * k + i)
// at file offset `windows[k]`.
ByteList BlockRom(std::uint16_t count, const std::uint32_t (&windows)[4],
                  const std::uint16_t (&rooms)[4], std::size_t size = 0x80000) {
  ByteList bytes(size, 0x00);
  PutWord(bytes, COUNT, count);
  for (int k = 0; k < 4; ++k) {
    PutLong(bytes, WINDOW_FIELDS[k], fixture::PcToSnes(windows[k]));
    for (std::uint32_t i = 0; i < 32; ++i) {
      if (windows[k] + 4 * i + 4 > size) break;
      PutWord(bytes, windows[k] + 4 * i, rooms[k]);
      PutWord(bytes, windows[k] + 4 * i + 2, static_cast<std::uint16_t>(0x100 * k + i));
    }
  }
  return bytes;
}

RoomSet ReadBlocks(ByteList bytes) {
  RomImage rom = fixture::TestImage(std::move(bytes), "test.smc");
  RoomSet rooms;
  ReadRoomPushableBlocks(rom, rooms);
  return rooms;
}

WordList Blocks(std::uint16_t first, std::size_t count) {
  WordList blocks;
  for (std::size_t i = 0; i < count; ++i) blocks.push_back(static_cast<std::uint16_t>(first + i));
  return blocks;
}

TEST(PushableBlockReader, CountBoundsTheEntriesReadUpTo128) {
  const std::uint32_t windows[4] = {0x72000, 0x72080, 0x72100, 0x72180};
  const struct {
    std::uint16_t count;
    std::size_t entries;
  } cases[] = {{0, 0},       {4, 1},       {6, 2},       {0x80, 32},   {0x84, 33},
               {0x1FC, 127}, {0x200, 128}, {0x201, 128}, {0xFFFF, 128}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    RoomSet rooms = ReadBlocks(BlockRom(c.count, windows, {1, 1, 1, 1}));
    ASSERT_EQ(rooms[1].pushableBlocks.size(), c.entries);
    for (std::size_t i = 0; i < c.entries; ++i) {
      EXPECT_EQ(rooms[1].pushableBlocks[i], 0x100 * (i / 32) + i % 32);
    }
  }
}

TEST(PushableBlockReader, WindowsApartAreReadEachFromItsOwnAddress) {
  // Window 1 lies far from window 0; the bytes behind window 0 belong to room 9.
  const std::uint32_t windows[4] = {0x72000, 0x75000, 0x76000, 0x77000};
  ByteList bytes = BlockRom(0x84, windows, {2, 200, 3, 4});
  for (std::uint32_t i = 0; i < 32; ++i) PutWord(bytes, 0x72080 + 4 * i, 9);
  RoomSet rooms = ReadBlocks(bytes);
  EXPECT_EQ(rooms[2].pushableBlocks, Blocks(0, 32));
  EXPECT_EQ(rooms[200].pushableBlocks, WordList{0x100});
  EXPECT_TRUE(rooms[9].pushableBlocks.empty());
  EXPECT_TRUE(rooms[3].pushableBlocks.empty());
}

TEST(PushableBlockReader, RoomAbove319IsSkippedButCountsTowardsTheByteIndex) {
  ByteList bytes = BlockRom(0, {0x72000, 0x72080, 0x72100, 0x72180}, {0, 0, 0, 0});
  PutWord(bytes, COUNT, 12);
  fixture::PutBytes(
      bytes, 0x72000,
      {0x40, 0x01, 0xAA, 0xAA, 0x04, 0, 0x34, 0x12, 0xFF, 0xFF, 0xBB, 0xBB, 0x04, 0, 0x78, 0x56});
  RoomSet rooms = ReadBlocks(bytes);
  EXPECT_EQ(rooms[4].pushableBlocks, WordList{0x1234});
}

TEST(PushableBlockReader, WindowsPastTheCountAreNotTouched) {
  // Windows 1 to 3 point outside the file; a count of 0x80 never reaches them.
  ByteList bytes = BlockRom(0x80, {0x72000, 0x72080, 0x72100, 0x72180}, {7, 7, 7, 7}, 0x72080);
  for (int k = 1; k < 4; ++k) PutLong(bytes, WINDOW_FIELDS[k], 0x7FFFFF);
  EXPECT_EQ(ReadBlocks(bytes)[7].pushableBlocks.size(), 32u);
}

TEST(PushableBlockReader, ReadingOutsideTheFileStopsTheRun) {
  const struct {
    ByteList bytes;
    std::string reading;
    std::string offset;
  } cases[] = {
      {ByteList(0x8000, 0x00), "pushable block count", "0x8896"},
      {BlockRom(0x88, {0x72000, 0x7FFFC, 0x72100, 0x72180}, {1, 1, 1, 1}),
       "pushable block table entry at byte 132", "0x80000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reading);
    try {
      ReadBlocks(c.bytes);
      ADD_FAILURE() << "no stop";
    } catch (const std::runtime_error& stop) {
      const std::string line = stop.what();
      EXPECT_NE(line.find("test.smc"), std::string::npos) << line;
      EXPECT_NE(line.find(c.reading), std::string::npos) << line;
      EXPECT_NE(line.find(c.offset), std::string::npos) << line;
    }
  }
}

TEST(PushableBlockReader, ReadsTheFixtureTablesOfRandomRooms) {
  for (std::uint32_t seed : {1u, 2u, 3u}) {
    const RoomSet expected = fixture::RandomRooms(seed);
    RoomSet rooms = ReadBlocks(fixture::BuildRom(expected));
    for (int room = 0; room < ROOM_COUNT; ++room) {
      ASSERT_EQ(rooms[room].pushableBlocks, expected[room].pushableBlocks)
          << "seed " << seed << " room " << room;
    }
  }
}

TEST(PushableBlockWriter, RoomThatDoesNotFitIsReportedAndLaterRoomsStillFit) {
  fixture::ConsoleCapture console;
  RoomSet rooms;
  rooms[5].pushableBlocks = Blocks(0x5000, 100);
  rooms[6].pushableBlocks = Blocks(0x6000, 40);
  rooms[7].pushableBlocks = Blocks(0x7000, 20);
  OutputRom out = fixture::OutputImageAt(0x1F8000);
  out.console = console.file;
  WriteRoomPushableBlocks(out, rooms);
  EXPECT_EQ(console.Text(),
            "Not enough memory for pushable blocks for room 6\n"
            "WriteRoomPushableBlocks(): uiDataSize = 1E0\n");
  EXPECT_EQ(fixture::Word(out.bytes, COUNT), 0x1E0);
  const std::uint32_t table = 0x1F8010;
  EXPECT_EQ(fixture::Slice(out.bytes, table, 8), (ByteList{5, 0, 0x00, 0x50, 5, 0, 0x01, 0x50}));
  EXPECT_EQ(fixture::Slice(out.bytes, table + 400, 4), (ByteList{7, 0, 0x00, 0x70}));
  EXPECT_EQ(fixture::Slice(out.bytes, table + 0x1DC, 4), (ByteList{7, 0, 0x13, 0x70}));
  EXPECT_EQ(Tell(out), table + 0x1E0);
}

TEST(PushableBlockWriter, TableHoldsExactly128Blocks) {
  const struct {
    std::size_t blocks;
    std::string lines;
  } cases[] = {
      {128, "WriteRoomPushableBlocks(): uiDataSize = 200\n"},
      {129,
       "Not enough memory for pushable blocks for room 2\n"
       "WriteRoomPushableBlocks(): uiDataSize = 1FC\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.blocks);
    fixture::ConsoleCapture console;
    RoomSet rooms;
    rooms[1].pushableBlocks = Blocks(0, 127);
    rooms[2].pushableBlocks = Blocks(0, c.blocks - 127);
    OutputRom out = fixture::OutputImageAt(0x1F8000);
    out.console = console.file;
    WriteRoomPushableBlocks(out, rooms);
    EXPECT_EQ(console.Text(), c.lines);
  }
}

TEST(PushableBlockWriter, EmptySetWritesLabelCountZeroAndFourWindows) {
  fixture::ConsoleCapture console;
  OutputRom out = fixture::OutputImageAt(0x1F8000);
  out.console = console.file;
  WriteRoomPushableBlocks(out, RoomSet{});
  EXPECT_EQ(console.Text(), "WriteRoomPushableBlocks(): uiDataSize = 0\n");
  EXPECT_EQ(
      fixture::Slice(out.bytes, 0x1F8000, 16),
      (ByteList{'P', 'u', 's', 'h', 'a', 'b', 'l', 'e', ' ', 'B', 'l', 'o', 'c', 'k', 's', 0}));
  EXPECT_EQ(fixture::Word(out.bytes, COUNT), 0);
  const std::uint32_t expected[4] = {0x3F8010, 0x3F8090, 0x3F8110, 0x3F8190};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(fixture::Long(out.bytes, WINDOW_FIELDS[k]), expected[k]);
  EXPECT_EQ(Tell(out), 0x1F8010);
  ASSERT_EQ(out.placedBlocks.size(), 1u);
  EXPECT_EQ(out.placedBlocks[0].kind, BlockKind::PushableBlocks);
  EXPECT_EQ(out.placedBlocks[0].start, 0x1F8000);
  EXPECT_EQ(out.placedBlocks[0].end, 0x1F8010);
}

TEST(PushableBlockWriter, WindowsPastTheBankEndAddressTheNextBank) {
  // A short table ending just before 0x200000: windows 1 to 3 lie in the next bank.
  RoomSet rooms;
  rooms[0].pushableBlocks = {0xABCD};
  OutputRom out = fixture::OutputImageAt(0x1FFFD1);
  WriteRoomPushableBlocks(out, rooms);
  const std::uint32_t expected[4] = {0x3FFFF0, 0x408070, 0x4080F0, 0x408170};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(fixture::Long(out.bytes, WINDOW_FIELDS[k]), expected[k]);
  EXPECT_EQ(fixture::Slice(out.bytes, 0x1FFFF0, 4), (ByteList{0, 0, 0xCD, 0xAB}));
}

TEST(PushableBlockWriter, WrittenTableReadsBackUnchanged) {
  const RoomSet expected = fixture::RandomRooms(12);
  OutputRom out = fixture::OutputImageAt(0x1F8000);
  WriteRoomPushableBlocks(out, expected);
  RoomSet rooms;
  ReadRoomPushableBlocks(out, rooms);
  for (int room = 0; room < ROOM_COUNT; ++room) {
    ASSERT_EQ(rooms[room].pushableBlocks, expected[room].pushableBlocks) << "room " << room;
  }
}

}  // namespace
