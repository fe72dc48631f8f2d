// The torch table: read as one table behind its three windows, the 384-byte
// limit of the rebuilt table, and its count and window addresses.
#include "tables/torches.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>

#include "fixture/rom_fixture.h"
#include "fixture/test_image.h"

namespace {

using fixture::PutLong;
using fixture::PutWord;

constexpr std::uint32_t COUNT = 0x88C1;
constexpr std::uint32_t WINDOW_FIELDS[3] = {0x15B16, 0x15B1D, 0x15B24};
constexpr std::uint32_t TABLE = 0x71000;

ByteList WordBytes(const WordList& words) {
  ByteList bytes;
  for (std::uint16_t word : words) {
    bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(word >> 8));
  }
  return bytes;
}

// An image holding `table` split over three windows at the given offsets;
// bytes that would lie past `size` are left out.
ByteList TorchRom(std::uint16_t count, const WordList& table,
                  const std::uint32_t (&windows)[3] = {TABLE, TABLE + 128, TABLE + 256},
                  std::size_t size = 0x80000) {
  ByteList bytes(size, 0x00);
  PutWord(bytes, COUNT, count);
  const ByteList tableBytes = WordBytes(table);
  for (std::size_t k = 0; k < 3; ++k) {
    PutLong(bytes, WINDOW_FIELDS[k], fixture::PcToSnes(windows[k]));
    for (std::size_t i = 128 * k; i < tableBytes.size() && i < 128 * (k + 1); ++i) {
      if (windows[k] + i % 128 < size) fixture::PutByte(bytes, windows[k] + i % 128, tableBytes[i]);
    }
  }
  return bytes;
}

RoomSet ReadTorches(ByteList bytes) {
  RomImage rom = fixture::TestImage(std::move(bytes), "test.smc");
  RoomSet rooms;
  ReadRoomTorches(rom, rooms);
  return rooms;
}

WordList Torches(std::uint16_t first, std::size_t count) {
  WordList torches;
  for (std::size_t i = 0; i < count; ++i) torches.push_back(static_cast<std::uint16_t>(first + i));
  return torches;
}

int RoomsWithTorches(const RoomSet& rooms) {
  int count = 0;
  for (const RoomData& room : rooms.rooms) count += room.torches.empty() ? 0 : 1;
  return count;
}

TEST(TorchReader, EntryGivesTheRoomItsTorchWords) {
  RoomSet rooms = ReadTorches(TorchRom(8, {0x0005, 0x1234, 0x2345, 0xFFFF}));
  EXPECT_EQ(rooms[5].torches, (WordList{0x1234, 0x2345}));
  EXPECT_EQ(RoomsWithTorches(rooms), 1);
}

TEST(TorchReader, RoomWordsOfFFFFOrAbove319AreSkippedOneWordAtATime) {
  const struct {
    WordList table;
    int room;
    WordList torches;
  } cases[] = {
      {{0xFFFF, 0x0007, 0x1111, 0xFFFF}, 7, {0x1111}},
      {{0x0140, 0x0003, 0x2222, 0xFFFF}, 3, {0x2222}},
      {{0xFFFF, 0xFFFF, 0x013F, 0x0001, 0x0002, 0xFFFF}, 319, {0x0001, 0x0002}},
      // Room 9's entry and a second one for the same room follow one another.
      {{0x0009, 0x0001, 0xFFFF, 0x8000, 0x0009, 0x0002, 0xFFFF}, 9, {0x0001, 0x0002}},
  };
  for (const auto& c : cases) {
    RoomSet rooms = ReadTorches(TorchRom(static_cast<std::uint16_t>(2 * c.table.size()), c.table));
    EXPECT_EQ(rooms[c.room].torches, c.torches) << "room " << c.room;
    EXPECT_EQ(RoomsWithTorches(rooms), 1) << "room " << c.room;
  }
}

TEST(TorchReader, CountZeroReadsNothingNotEvenTheWindowAddresses) {
  // The file ends right after the count; the window fields lie beyond it.
  ByteList bytes(COUNT + 2, 0x00);
  RoomSet rooms = ReadTorches(bytes);
  EXPECT_EQ(RoomsWithTorches(rooms), 0);
}

TEST(TorchReader, EntryCutOffByTheCountKeepsItsWords) {
  // The table ends at the count: the word that starts at the count is not read.
  const WordList table = {0x0005, 0x1234, 0x2345, 0xFFFF, 0x0006, 0x0001, 0xFFFF};
  const struct {
    std::uint16_t count;
    WordList room5;
  } cases[] = {{2, {}}, {3, {}}, {4, {0x1234}}, {5, {0x1234}}, {6, {0x1234, 0x2345}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    RoomSet rooms = ReadTorches(TorchRom(c.count, table));
    EXPECT_EQ(rooms[5].torches, c.room5);
    EXPECT_TRUE(rooms[6].torches.empty());
  }
}

TEST(TorchReader, WindowsApartReadAsOneTable) {
  // Room 2's entry runs from byte 0 across offset 128, room 3's across 256;
  // the bytes right behind window 0 and window 1 in the file belong to no table.
  WordList table = {0x0002};
  const WordList room2 = Torches(0x2000, 70);
  const WordList room3 = Torches(0x3000, 80);
  table.insert(table.end(), room2.begin(), room2.end());
  table.push_back(0xFFFF);
  table.push_back(0x0003);
  table.insert(table.end(), room3.begin(), room3.end());
  table.push_back(0xFFFF);
  const std::uint32_t windows[3] = {0x71000, 0x74000, 0x73000};
  ByteList bytes = TorchRom(static_cast<std::uint16_t>(2 * table.size()), table, windows);
  fixture::PutBytes(bytes, 0x71080, WordBytes({0x0001, 0x0BAD, 0xFFFF}));
  fixture::PutBytes(bytes, 0x74080, WordBytes({0x0001, 0x0BAD, 0xFFFF}));
  RoomSet rooms = ReadTorches(bytes);
  EXPECT_EQ(rooms[2].torches, room2);
  EXPECT_EQ(rooms[3].torches, room3);
  EXPECT_EQ(RoomsWithTorches(rooms), 2);
}

TEST(TorchReader, WindowsWhollyPastTheTableAreNotTouched) {
  // A 16-byte table at the very end of the file; windows 1 and 2 point nowhere.
  const WordList table = {0x0004, 0x0A0A, 0x0B0B, 0xFFFF, 0x0005, 0x0C0C, 0x0D0D, 0xFFFF};
  const std::uint32_t end = 0x7FFF0;
  ByteList bytes = TorchRom(16, table, {end, 0, 0}, end + 16);
  PutLong(bytes, WINDOW_FIELDS[1], 0x000000);
  PutLong(bytes, WINDOW_FIELDS[2], 0xFFFFFF);
  RoomSet rooms = ReadTorches(bytes);
  EXPECT_EQ(rooms[4].torches, (WordList{0x0A0A, 0x0B0B}));
  EXPECT_EQ(rooms[5].torches, (WordList{0x0C0C, 0x0D0D}));
}

TEST(TorchReader, CountAbove384ReadsTheFullTableOnly) {
  // One 384-byte entry ending exactly at the end of the file.
  WordList table = {0x0001};
  const WordList torches = Torches(0x0100, 190);
  table.insert(table.end(), torches.begin(), torches.end());
  table.push_back(0xFFFF);
  RoomSet rooms =
      ReadTorches(TorchRom(0xFFFF, table, {TABLE, TABLE + 128, TABLE + 256}, TABLE + 384));
  EXPECT_EQ(rooms[1].torches, torches);
}

TEST(TorchReader, ReadingOutsideTheFileStopsTheRun) {
  // Window 1 at SNES 0x000100: an address without bit 15 lands far outside the file.
  ByteList strayWindow = TorchRom(200, Torches(1, 100));
  PutLong(strayWindow, WINDOW_FIELDS[1], 0x000100);
  const struct {
    ByteList bytes;
    std::string reading;
    std::string offset;
  } cases[] = {
      {ByteList(0x8000, 0x00), "torch table count", "0x88C1"},
      {TorchRom(8, {5, 1, 2, 0xFFFF}, {0x7FFFC, 0, 0}), "torch table word at byte 4", "0x80000"},
      {strayWindow, "torch table word at byte 128", "0xFFFF0100"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reading);
    try {
      ReadTorches(c.bytes);
      ADD_FAILURE() << "no stop";
    } catch (const std::runtime_error& stop) {
      const std::string line = stop.what();
      EXPECT_NE(line.find("test.smc"), std::string::npos) << line;
      EXPECT_NE(line.find(c.reading), std::string::npos) << line;
      EXPECT_NE(line.find(c.offset), std::string::npos) << line;
    }
  }
}

TEST(TorchReader, ReadsTheFixtureTablesOfRandomRooms) {
  for (std::uint32_t seed : {1u, 2u, 3u}) {
    const RoomSet expected = fixture::RandomRooms(seed);
    RoomSet rooms = ReadTorches(fixture::BuildRom(expected));
    for (int room = 0; room < ROOM_COUNT; ++room) {
      ASSERT_EQ(rooms[room].torches, expected[room].torches) << "seed " << seed << " room " << room;
    }
  }
}

TEST(TorchWriter, EntryForRoom5IsRoomWordTorchesAndEndWord) {
  fixture::ConsoleCapture console;
  RoomSet rooms;
  rooms[5].torches = {0x1234, 0x2345};
  OutputRom out = fixture::OutputImageAt(0x1F8000);
  out.console = console.file;
  WriteRoomTorches(out, rooms);
  EXPECT_EQ(console.Text(), "WriteRoomTorches(): uiDataSize = 8\n");
  EXPECT_EQ(fixture::Slice(out.bytes, 0x1F8010, 8),
            (ByteList{0x05, 0x00, 0x34, 0x12, 0x45, 0x23, 0xFF, 0xFF}));
  EXPECT_EQ(fixture::Word(out.bytes, COUNT), 8);
  EXPECT_EQ(Tell(out), 0x1F8018);
}

TEST(TorchWriter, TableLimitIs384Bytes) {
  const struct {
    std::size_t torches;
    std::string lines;
    std::uint16_t count;
  } cases[] = {
      {187, "WriteRoomTorches(): uiDataSize = 180\n", 0x180},
      {190, "Not enough memory for torches for room 9\nWriteRoomTorches(): uiDataSize = 180\n",
       0x180},
      {191, "Not enough memory for torches for room 5\nWriteRoomTorches(): uiDataSize = 6\n", 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.torches);
    fixture::ConsoleCapture console;
    RoomSet rooms;
    rooms[5].torches = Torches(0x0500, c.torches);
    rooms[9].torches = {0x0909};
    OutputRom out = fixture::OutputImageAt(0x1F8000);
    out.console = console.file;
    WriteRoomTorches(out, rooms);
    EXPECT_EQ(console.Text(), c.lines);
    EXPECT_EQ(fixture::Word(out.bytes, COUNT), c.count);
    if (c.torches == 191) {
      EXPECT_EQ(fixture::Slice(out.bytes, 0x1F8010, 6), (ByteList{9, 0, 0x09, 0x09, 0xFF, 0xFF}));
    }
  }
}

TEST(TorchWriter, EmptySetWritesLabelCountZeroAndThreeWindows) {
  fixture::ConsoleCapture console;
  OutputRom out = fixture::OutputImageAt(0x1F8001);
  out.console = console.file;
  WriteRoomTorches(out, RoomSet{});
  EXPECT_EQ(console.Text(), "WriteRoomTorches(): uiDataSize = 0\n");
  EXPECT_EQ(fixture::Slice(out.bytes, 0x1F8010, 16),
            (ByteList{'T', 'o', 'r', 'c', 'h', 'e', 's', 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(fixture::Word(out.bytes, COUNT), 0);
  const std::uint32_t expected[3] = {0x3F8020, 0x3F80A0, 0x3F8120};
  for (int k = 0; k < 3; ++k) EXPECT_EQ(fixture::Long(out.bytes, WINDOW_FIELDS[k]), expected[k]);
  EXPECT_EQ(Tell(out), 0x1F8020);
  ASSERT_EQ(out.placedBlocks.size(), 1u);
  EXPECT_EQ(out.placedBlocks[0].kind, BlockKind::Torches);
  EXPECT_EQ(out.placedBlocks[0].start, 0x1F8010);
  EXPECT_EQ(out.placedBlocks[0].end, 0x1F8020);
}

// Room sets whose entries fill up to 384 bytes, with lengths chosen at random
// so that entries fall across table offsets 128 and 256.
RoomSet RandomTorchRooms(std::uint32_t seed) {
  std::mt19937 random(seed);
  RoomSet rooms;
  std::size_t used = 0;
  for (int room = static_cast<int>(random() % 20); room < ROOM_COUNT;
       room += 1 + static_cast<int>(random() % 40)) {
    const std::size_t count = 1 + random() % 60;
    if (used + 2 * count + 4 > TORCH_TABLE_LIMIT) break;
    used += 2 * count + 4;
    for (std::size_t i = 0; i < count; ++i) {
      rooms[room].torches.push_back(static_cast<std::uint16_t>(random() % 0xFFFF));
    }
  }
  return rooms;
}

TEST(TorchWriter, EveryWrittenTableReadsBackUnchangedAcrossWindowBoundaries) {
  int crossings = 0;
  for (std::uint32_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(seed);
    const RoomSet expected = RandomTorchRooms(seed);
    OutputRom out = fixture::OutputImageAt(0x1F8000);
    WriteRoomTorches(out, expected);
    RoomSet rooms;
    ReadRoomTorches(out, rooms);
    ASSERT_EQ(rooms, expected);
    // Count the entries that run across offset 128 or 256 of the table.
    std::size_t start = 0;
    for (const RoomData& room : expected.rooms) {
      if (room.torches.empty()) continue;
      const std::size_t end = start + 2 * room.torches.size() + 4;
      crossings += (start < 128 && end > 130) + (start < 256 && end > 258);
      start = end;
    }
  }
  EXPECT_GE(crossings, 40);
}

}  // namespace
