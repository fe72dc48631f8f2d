// Reading and writing the game's list of pit rooms.
#include "tables/pit_rooms.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "fixture/rom_fixture.h"
#include "fixture/test_image.h"

namespace {

constexpr std::uint32_t LIST = fixture::PIT_LIST;

// A small image holding only the two pit fields and the list words at LIST.
RomImage PitImage(std::uint16_t lastIndex, const std::vector<std::uint16_t>& words,
                  std::size_t size = 0x80000) {
  RomImage rom = fixture::TestImage(fixture::ByteList(size, 0x00), "pits.sfc");
  fixture::PutWord(rom.bytes, fixture::PIT_LAST_INDEX_FIELD, lastIndex);
  fixture::PutLong(rom.bytes, fixture::PIT_LIST_FIELD, fixture::PcToSnes(LIST));
  for (std::size_t i = 0; i < words.size(); ++i) {
    fixture::PutWord(rom.bytes, LIST + 2 * i, words[i]);
  }
  return rom;
}

std::vector<int> PitRooms(const RoomSet& rooms) {
  std::vector<int> pits;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    if (rooms[room].hasPit != 0) pits.push_back(room);
  }
  return pits;
}

RoomSet WithPits(const std::vector<int>& pits) {
  RoomSet rooms;
  for (int room : pits) rooms[room].hasPit = 1;
  return rooms;
}

// An output image filled with 0xAA, so that bytes never written stand out.
OutputRom OutputImage(std::int64_t position) {
  return fixture::OutputImageAt(position, fixture::OUTPUT_IMAGE_SIZE, 0xAA);
}

std::string CapturedWrite(OutputRom& out, const RoomSet& rooms) {
  const fixture::Outcome outcome = fixture::CaptureRun(out, [&] { WriteRoomPits(out, rooms); });
  EXPECT_EQ(outcome.failure, "");
  return outcome.printed;
}

const fixture::ByteList PITS_LABEL = {'P', 'i', 't', 's', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

struct ReadCase {
  const char* what;
  std::uint16_t lastIndex;
  std::vector<std::uint16_t> words;
  std::vector<int> pits;
};

TEST(PitRooms, LastIndexDecidesHowManyWordsAreRead) {
  const std::vector<std::uint16_t> list = {5, 6, 7, 8};
  const std::vector<ReadCase> cases = {
      {"last index 0 reads one word", 0, list, {5}},
      {"last index 1 reads one word", 1, list, {5}},
      {"last index 2 reads two words", 2, list, {5, 6}},
      {"last index 3 reads two words", 3, list, {5, 6}},
      {"last index 6 reads four words", 6, list, {5, 6, 7, 8}},
      {"0xFFFF is ignored, the next word read", 2, {0xFFFF, 9, 10}, {9}},
      {"320 is no room, 319 is", 2, {320, 319, 11}, {319}},
      {"order and repeats do not matter", 6, {300, 7, 20, 7}, {7, 20, 300}},
  };
  for (const ReadCase& test : cases) {
    SCOPED_TRACE(test.what);
    RomImage rom = PitImage(test.lastIndex, test.words);
    RoomSet rooms;
    ReadRoomPits(rom, rooms);
    EXPECT_EQ(PitRooms(rooms), test.pits);
  }
}

TEST(PitRooms, NegativeLastIndexIsAnEmptyListAndReadsNoWord) {
  for (std::uint16_t lastIndex : {0xFFFE, 0x8000, 0xFFFF}) {
    SCOPED_TRACE(lastIndex);
    RomImage rom = PitImage(lastIndex, {5, 6});
    // The list address points far past the end of the file.
    fixture::PutLong(rom.bytes, fixture::PIT_LIST_FIELD, 0xFF8000);
    RoomSet rooms = WithPits({0, 5, 319});
    ASSERT_NO_THROW(ReadRoomPits(rom, rooms));
    EXPECT_EQ(PitRooms(rooms), std::vector<int>{});
  }
}

TEST(PitRooms, ReadingClearsRoomsThatAreNotListed) {
  RomImage rom = PitImage(2, {5, 6});
  RoomSet rooms = WithPits({0, 3, 6});
  ReadRoomPits(rom, rooms);
  EXPECT_EQ(PitRooms(rooms), (std::vector<int>{5, 6}));
}

TEST(PitRooms, ListRunningPastTheEndOfTheFileStopsTheRun) {
  // The second word would be read at LIST + 2, where only one byte is left.
  RomImage rom = PitImage(2, {5}, LIST + 3);
  RoomSet rooms;
  try {
    ReadRoomPits(rom, rooms);
    FAIL() << "the read past the end did not stop the run";
  } catch (const std::runtime_error& failure) {
    const std::string line = failure.what();
    EXPECT_NE(line.find("pits.sfc"), std::string::npos) << line;
    EXPECT_NE(line.find("pit room list"), std::string::npos) << line;
    EXPECT_NE(line.find("0x70002"), std::string::npos) << line;
    EXPECT_EQ(line.back(), '\n');
  }
}

TEST(PitRooms, ListAddressOutsideTheFileStopsTheRun) {
  RomImage rom = PitImage(0, {});
  fixture::PutLong(rom.bytes, fixture::PIT_LIST_FIELD, 0x7F8000);
  RoomSet rooms;
  EXPECT_THROW(ReadRoomPits(rom, rooms), std::runtime_error);
}

TEST(PitRooms, WritesLabelSortedListAndRepointsTheFields) {
  OutputRom out = OutputImage(0x1FA123);
  const std::string console = CapturedWrite(out, WithPits({300, 7, 20}));

  EXPECT_EQ(console, "WriteRoomPits(): uiDataSize = 6\n");
  EXPECT_EQ(fixture::Slice(out.bytes, 0x1FA123, 13), fixture::ByteList(13, 0xAA));
  EXPECT_EQ(fixture::Slice(out.bytes, 0x1FA130, 16), PITS_LABEL);
  EXPECT_EQ(fixture::Slice(out.bytes, 0x1FA140, 7),
            (fixture::ByteList{0x07, 0x00, 0x14, 0x00, 0x2C, 0x01, 0xAA}));
  EXPECT_EQ(fixture::Slice(out.bytes, fixture::PIT_LAST_INDEX_FIELD, 2),
            (fixture::ByteList{0x04, 0x00}));
  EXPECT_EQ(fixture::Slice(out.bytes, fixture::PIT_LIST_FIELD, 3),
            (fixture::ByteList{0x40, 0xA1, 0x3F}));
  EXPECT_EQ(Tell(out), 0x1FA146);
  ASSERT_FALSE(out.placedBlocks.empty());
  EXPECT_EQ(out.placedBlocks.back().start, 0x1FA130);
  EXPECT_EQ(out.placedBlocks.back().end, 0x1FA146);
}

TEST(PitRooms, RoomListedTwiceIsWrittenOnceInOrder) {
  RomImage rom = PitImage(8, {300, 20, 7, 300, 20});
  RoomSet rooms;
  ReadRoomPits(rom, rooms);
  OutputRom out = OutputImage(0x1F8000);
  WriteRoomPits(out, rooms);
  EXPECT_EQ(fixture::Word(out.bytes, fixture::PIT_LAST_INDEX_FIELD), 0x0004);
  EXPECT_EQ(fixture::Slice(out.bytes, 0x1F8010, 6),
            (fixture::ByteList{0x07, 0x00, 0x14, 0x00, 0x2C, 0x01}));
}

TEST(PitRooms, NoPitRoomsWritesOnlyTheLabel) {
  OutputRom out = OutputImage(0x1F8000);
  const std::string console = CapturedWrite(out, RoomSet{});

  EXPECT_EQ(console, "WriteRoomPits(): uiDataSize = 0\n");
  EXPECT_EQ(fixture::Slice(out.bytes, 0x1F8000, 16), PITS_LABEL);
  EXPECT_EQ(fixture::Byte(out.bytes, 0x1F8010), 0xAA);
  EXPECT_EQ(fixture::Word(out.bytes, fixture::PIT_LAST_INDEX_FIELD), 0xFFFE);
  EXPECT_EQ(fixture::Long(out.bytes, fixture::PIT_LIST_FIELD), 0x3F8010u);
  EXPECT_EQ(Tell(out), 0x1F8010);
}

TEST(PitRooms, EveryRoomAPitFillsTheLargestList) {
  std::vector<int> all(ROOM_COUNT);
  for (int room = 0; room < ROOM_COUNT; ++room) all[room] = room;
  OutputRom out = OutputImage(0x1F8000);
  EXPECT_EQ(CapturedWrite(out, WithPits(all)), "WriteRoomPits(): uiDataSize = 280\n");
  EXPECT_EQ(fixture::Word(out.bytes, fixture::PIT_LAST_INDEX_FIELD), 0x027E);
  EXPECT_EQ(fixture::Word(out.bytes, 0x1F8010 + 2 * 319), 319);
  EXPECT_EQ(Tell(out), 0x1F8010 + 640);
}

TEST(PitRooms, BankCheckCountsLabelAndList) {
  // 16 bytes are left in the bank: the label alone fits, label and one word do not.
  OutputRom empty = OutputImage(0x1FFFF0);
  WriteRoomPits(empty, RoomSet{});
  EXPECT_EQ(fixture::Slice(empty.bytes, 0x1FFFF0, 16), PITS_LABEL);

  OutputRom one = OutputImage(0x1FFFF0);
  WriteRoomPits(one, WithPits({1}));
  EXPECT_EQ(fixture::Slice(one.bytes, 0x1FFFF0, 16), fixture::ByteList(16, 0xAA));
  EXPECT_EQ(fixture::Slice(one.bytes, 0x200000, 16), PITS_LABEL);
  EXPECT_EQ(fixture::Long(one.bytes, fixture::PIT_LIST_FIELD), 0x408010u);
}

TEST(PitRooms, WrittenListReadsBack) {
  for (std::uint32_t seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    RoomSet written = fixture::RandomRooms(seed);
    OutputRom out = OutputImage(0x1F9003);
    WriteRoomPits(out, written);
    RoomSet read;
    ReadRoomPits(out, read);
    EXPECT_EQ(PitRooms(read), PitRooms(written));
  }
}

}  // namespace
