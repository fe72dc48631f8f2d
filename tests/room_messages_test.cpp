// Reading the rooms' message words and rewriting the message table in place.
#include "tables/room_messages.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "fixture/rom_fixture.h"
#include "fixture/test_image.h"

namespace {

constexpr std::uint32_t TABLE = fixture::MESSAGE_TABLE;  // 0x3F2A0, address field 0xF2A0

// A destination ROM as the run prepares it for writing: padded to 3 MiB.
OutputRom OutputImage(const RoomSet& rooms, std::int64_t position) {
  return fixture::PaddedOutputImage(fixture::BuildRom(rooms), position);
}

std::string CapturedWrite(OutputRom& out, const RoomSet& rooms) {
  const fixture::Outcome outcome = fixture::CaptureRun(out, [&] { WriteRoomMessages(out, rooms); });
  EXPECT_EQ(outcome.failure, "");
  return outcome.printed;
}

fixture::ByteList NoteBlock(const std::string& note) {
  fixture::ByteList block = {'M', 'e', 's', 's', 'a', 'g', 'e', 's', 0, 0, 0, 0, 0, 0, 0, 0};
  block.insert(block.end(), note.begin(), note.end());
  block.resize(32, 0x00);
  return block;
}

TEST(RoomMessages, ReadsOneWordPerRoomFromTheAddressedTable) {
  const RoomSet rooms = fixture::RandomRooms(11);
  RomImage rom = fixture::TestImage(fixture::BuildRom(rooms), "dest.sfc");
  EXPECT_EQ(MessageTableOffset(rom), TABLE);
  RoomSet read;
  ReadRoomMessages(rom, read);
  for (int room = 0; room < ROOM_COUNT; ++room) {
    ASSERT_EQ(read[room].message, rooms[room].message) << "room " << room;
  }
}

TEST(RoomMessages, TableOffsetIsInBankSeven) {
  struct Case {
    std::uint16_t field;
    std::uint32_t offset;
  };
  for (const Case& test : {Case{0xF2A0, 0x3F2A0}, Case{0x8000, 0x38000}, Case{0xFFFF, 0x3FFFF}}) {
    RomImage rom = fixture::TestImage(fixture::ByteList(0x80000, 0x00), "dest.sfc");
    fixture::PutWord(rom.bytes, fixture::MESSAGE_TABLE_FIELD, test.field);
    fixture::PutWord(rom.bytes, test.offset + 2 * 319, 0xBEEF);
    EXPECT_EQ(MessageTableOffset(rom), test.offset);
    RoomSet read;
    ReadRoomMessages(rom, read);
    EXPECT_EQ(read[319].message, 0xBEEF);
  }
}

TEST(RoomMessages, TableRunningPastTheEndOfTheFileStopsTheRun) {
  // One byte of room 319's word is missing.
  RomImage rom = fixture::TestImage(fixture::ByteList(TABLE + 639, 0x00), "short.sfc");
  fixture::PutWord(rom.bytes, fixture::MESSAGE_TABLE_FIELD, 0xF2A0);
  RoomSet read;
  try {
    ReadRoomMessages(rom, read);
    FAIL() << "the read past the end did not stop the run";
  } catch (const std::runtime_error& failure) {
    const std::string line = failure.what();
    EXPECT_NE(line.find("short.sfc"), std::string::npos) << line;
    EXPECT_NE(line.find("message"), std::string::npos) << line;
    EXPECT_NE(line.find("room 319"), std::string::npos) << line;
    EXPECT_NE(line.find("0x3F51E"), std::string::npos) << line;
    EXPECT_EQ(line.back(), '\n');
  }
}

TEST(RoomMessages, WritesTheNoteBlockAndTheTableInPlace) {
  const RoomSet destination = fixture::SimpleRooms();
  OutputRom out = OutputImage(destination, 0x1FB005);
  const fixture::ByteList before = out.bytes;
  RoomSet rooms = destination;
  rooms[40].message = 0x1234;  // as a transfer of another room onto room 40 leaves it

  EXPECT_EQ(CapturedWrite(out, rooms), "WriteRoomMessages(): uiDataSize = 20\n");
  EXPECT_EQ(fixture::Slice(out.bytes, 0x1FB010, 32), NoteBlock("->Look at 3F2A0"));
  EXPECT_EQ(Tell(out), 0x1FB030);
  EXPECT_EQ(fixture::Slice(out.bytes, TABLE + 80, 2), (fixture::ByteList{0x34, 0x12}));
  EXPECT_EQ(fixture::Word(out.bytes, TABLE + 78), destination[39].message);
  EXPECT_EQ(fixture::Word(out.bytes, TABLE + 82), destination[41].message);
  EXPECT_EQ(fixture::Slice(out.bytes, fixture::MESSAGE_TABLE_FIELD - 1, 3),
            fixture::Slice(before, fixture::MESSAGE_TABLE_FIELD - 1, 3));
  ASSERT_FALSE(out.placedBlocks.empty());
  EXPECT_EQ(out.placedBlocks.back().start, 0x1FB010);
  EXPECT_EQ(out.placedBlocks.back().end, 0x1FB030);
}

TEST(RoomMessages, TableIsWrittenWhereTheDestinationHasIt) {
  const RoomSet destination = fixture::SimpleRooms();
  OutputRom out = OutputImage(destination, 0x1F8000);
  fixture::PutWord(out.bytes, fixture::MESSAGE_TABLE_FIELD, 0x9000);
  const fixture::ByteList before = out.bytes;
  WriteRoomMessages(out, destination);

  EXPECT_EQ(fixture::Slice(out.bytes, 0x1F8000, 32), NoteBlock("->Look at 39000"));
  for (int room = 0; room < ROOM_COUNT; ++room) {
    ASSERT_EQ(fixture::Word(out.bytes, 0x39000 + 2 * room), destination[room].message);
  }
  EXPECT_EQ(fixture::Slice(out.bytes, TABLE, 640), fixture::Slice(before, TABLE, 640));
  EXPECT_EQ(fixture::Word(out.bytes, fixture::MESSAGE_TABLE_FIELD), 0x9000);
}

TEST(RoomMessages, WritingTheSetReadFromTheRomChangesOnlyTheNote) {
  OutputRom out = OutputImage(fixture::RandomRooms(5), 0x1F8123);
  const fixture::ByteList before = out.bytes;
  RoomSet read;
  ReadRoomMessages(out, read);
  Seek(out, 0x1F8123);
  WriteRoomMessages(out, read);

  fixture::ByteList expected = before;
  fixture::PutBytes(expected, 0x1F8130, NoteBlock("->Look at 3F2A0"));
  EXPECT_TRUE(out.bytes == expected);
  EXPECT_EQ(fixture::Slice(out.bytes, TABLE, 640), fixture::Slice(before, TABLE, 640));
}

TEST(RoomMessages, NoteBlockMovesToTheNextBankWhenItWouldCrossOne) {
  const RoomSet rooms = fixture::SimpleRooms();
  OutputRom out = OutputImage(rooms, 0x1FFFE8);
  fixture::PutBytes(out.bytes, 0x1FFFE8, fixture::ByteList(24, 0xAA));
  WriteRoomMessages(out, rooms);
  EXPECT_EQ(fixture::Slice(out.bytes, 0x1FFFE8, 24), fixture::ByteList(24, 0xAA));
  EXPECT_EQ(fixture::Slice(out.bytes, 0x200000, 32), NoteBlock("->Look at 3F2A0"));
  EXPECT_EQ(Tell(out), 0x200020);
}

}  // namespace
