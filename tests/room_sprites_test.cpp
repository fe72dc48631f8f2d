// The room sprite lists, their pointer table, and the loader routine through
// which the game finds them in the relocated area.
#include "tables/room_sprites.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "fixture/rom_fixture.h"
#include "fixture/test_image.h"

namespace {

using fixture::ByteList;

using fixture::AFTER_MARKER;
using fixture::BANK_BREACH_LINE;
using fixture::Outcome;
using fixture::TextBytes;
using fixture::UNTOUCHED;

Outcome Write(OutputRom& out, const RoomSet& rooms) {
  return fixture::CaptureRun(out, [&] { WriteRoomSprites(out, rooms); });
}

Outcome Check(RomImage& rom) {
  return fixture::CaptureRun([&](std::FILE*) { CheckSpriteCode(rom); });
}

ByteList Padded(ByteList bytes) {
  while (bytes.size() % 16 != 0) bytes.push_back(0x00);
  return bytes;
}

ByteList SpriteList(std::size_t length, std::uint8_t seed) {
  ByteList list;
  for (std::size_t i = 0; i + 1 < length; ++i) {
    list.push_back(static_cast<std::uint8_t>((seed + i) & 0x7F));
  }
  list.push_back(0xFF);
  return list;
}

// Every list 1 to 16 bytes long: every data block is 16 bytes.
RoomSet ExampleRooms() {
  RoomSet rooms = fixture::SimpleRooms();
  for (int room = 0; room < ROOM_COUNT; ++room) {
    rooms[room].spriteData = SpriteList(1 + room % 16, static_cast<std::uint8_t>(room));
  }
  return rooms;
}

// The output image as the run hands it to the first writer, right after the marker.
OutputRom OutputFrom(ByteList destination) {
  return fixture::PaddedOutputImage(std::move(destination), AFTER_MARKER, UNTOUCHED);
}

OutputRom BlankOutput() {
  return fixture::OutputImageAt(AFTER_MARKER, fixture::OUTPUT_IMAGE_SIZE, UNTOUCHED);
}

std::optional<std::size_t> FirstDifference(const ByteList& actual, const ByteList& expected) {
  if (actual.size() != expected.size()) return std::min(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) {
    if (actual[i] != expected[i]) return i;
  }
  return std::nullopt;
}

ByteList MaskWords() {
  ByteList words;
  for (int bit = 0; bit < 16; ++bit) {
    words.push_back(static_cast<std::uint8_t>((1u << bit) & 0xFF));
    words.push_back(static_cast<std::uint8_t>((1u << bit) >> 8));
  }
  return words;
}

// The example block, built by hand: S = 0x1F8030, every room 16 + 16 bytes.
ByteList ExampleOutputBytes(ByteList expected, const RoomSet& rooms, bool pointDeathCheck) {
  fixture::PutBytes(expected, 0x1F8030, TextBytes("Sprite Pointer Table"));
  for (std::uint32_t room = 0; room < ROOM_COUNT; ++room) {
    const std::uint32_t label = 0x1F82D0 + 32 * room;
    fixture::PutBytes(expected, label, Padded(TextBytes("Sprites Room " + std::to_string(room))));
    fixture::PutBytes(expected, label + 16, Padded(rooms[room].spriteData));
    fixture::PutWord(expected, 0x1F8050 + 2 * room, static_cast<std::uint16_t>(0x82E0 + 32 * room));
  }
  fixture::PutBytes(expected, 0x1FAAD0, TextBytes("Sprite Pointers Loader Code"));
  fixture::PutBytes(expected, 0x1FAAF0,
                    {0xE2, 0x30, 0xA9, 0x3F, 0x48, 0xAB, 0xC2, 0x30, 0xAD, 0x8E, 0x04, 0x0A, 0xA8,
                     0xB9, 0x50, 0x80, 0x6B});
  fixture::PutBytes(expected, 0x1FAB10, TextBytes("Slot Death Masks"));
  fixture::PutBytes(expected, 0x1FAB20, MaskWords());
  fixture::PutBytes(expected, 0x4C296, {0x22, 0xF0, 0xAA, 0x3F});
  if (pointDeathCheck) fixture::PutBytes(expected, 0x4C377, {0x20, 0xAB});
  return expected;
}

struct DeathCheckCase {
  const char* what;
  bool deathMaskCode;
  std::optional<std::uint32_t> alteredByte;  // one byte of the signature changed
  bool pointed;
};

TEST(RoomSprites, ExampleBlockIsByteExact) {
  const DeathCheckCase cases[] = {
      {"game's death check", true, std::nullopt, true},
      {"no death check code", false, std::nullopt, false},
      {"first signature byte differs", true, 0x4C372, false},
      {"AND abs,Y replaced", true, 0x4C376, false},
  };
  const RoomSet rooms = ExampleRooms();
  for (const DeathCheckCase& test : cases) {
    SCOPED_TRACE(test.what);
    ByteList destination = fixture::BuildRom(rooms, {.deathMaskCode = test.deathMaskCode});
    if (test.alteredByte) destination.at(*test.alteredByte) ^= 0x01;
    OutputRom out = OutputFrom(destination);
    const ByteList expected = ExampleOutputBytes(out.bytes, rooms, test.pointed);

    const Outcome outcome = Write(out, rooms);

    EXPECT_EQ(outcome.printed, "WriteRoomSprites(): uiDataSize = 2B10\n");
    EXPECT_EQ(outcome.failure, "");
    EXPECT_EQ(Tell(out), 0x1FAB40);
    EXPECT_EQ(FirstDifference(out.bytes, expected), std::nullopt);
    ASSERT_FALSE(out.placedBlocks.empty());
    EXPECT_EQ(out.placedBlocks.front().start, 0x1F8030);
    EXPECT_EQ(out.placedBlocks.back().end, 0x1FAB40);
  }
}

TEST(RoomSprites, RoomLabelBlocksHoldSixteenBytes) {
  const struct {
    std::uint32_t room;
    ByteList bytes;
  } cases[] = {
      {7, {'S', 'p', 'r', 'i', 't', 'e', 's', ' ', 'R', 'o', 'o', 'm', ' ', '7', 0, 0}},
      {42, {'S', 'p', 'r', 'i', 't', 'e', 's', ' ', 'R', 'o', 'o', 'm', ' ', '4', '2', 0}},
      {100, {'S', 'p', 'r', 'i', 't', 'e', 's', ' ', 'R', 'o', 'o', 'm', ' ', '1', '0', '0'}},
  };
  OutputRom out = BlankOutput();
  Write(out, ExampleRooms());
  for (const auto& test : cases) {
    EXPECT_EQ(fixture::Slice(out.bytes, 0x1F82D0 + 32 * test.room, 16), test.bytes) << test.room;
  }
}

TEST(RoomSprites, LoaderNamesTheBlocksBankAndTable) {
  const struct {
    const char* what;
    std::int64_t position;
    ByteList loader;
    ByteList call;
    std::int64_t end;
  } cases[] = {
      {"after the marker",
       AFTER_MARKER,
       {0xE2, 0x30, 0xA9, 0x3F, 0x48, 0xAB, 0xC2, 0x30, 0xAD, 0x8E, 0x04, 0x0A, 0xA8, 0xB9, 0x50,
        0x80, 0x6B},
       {0x22, 0xF0, 0xAA, 0x3F},
       0x1FAB40},
      {"in bank 0x3E",
       0x1F0008,
       {0xE2, 0x30, 0xA9, 0x3E, 0x48, 0xAB, 0xC2, 0x30, 0xAD, 0x8E, 0x04, 0x0A, 0xA8, 0xB9, 0x30,
        0x80, 0x6B},
       {0x22, 0xD0, 0xAA, 0x3E},
       0x1F2B20},
      {"moved to the start of bank 0x3F",
       0x1F6000,
       {0xE2, 0x30, 0xA9, 0x3F, 0x48, 0xAB, 0xC2, 0x30, 0xAD, 0x8E, 0x04, 0x0A, 0xA8, 0xB9, 0x20,
        0x80, 0x6B},
       {0x22, 0xC0, 0xAA, 0x3F},
       0x1FAB10},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.what);
    OutputRom out = BlankOutput();
    out.position = test.position;
    Write(out, ExampleRooms());
    EXPECT_EQ(Tell(out), test.end);
    EXPECT_EQ(fixture::Slice(out.bytes, static_cast<std::size_t>(test.end - 80), 17), test.loader);
    EXPECT_EQ(fixture::Slice(out.bytes, 0x4C296, 4), test.call);
  }
}

TEST(RoomSprites, DataBlocksArePaddedToSixteen) {
  RoomSet rooms;
  rooms[0].spriteData = SpriteList(16, 1);
  rooms[1].spriteData = SpriteList(17, 2);
  OutputRom out = BlankOutput();
  const Outcome outcome = Write(out, rooms);
  // 5904 + 16 + 32; rooms 2 and up are empty.
  EXPECT_EQ(outcome.printed, "WriteRoomSprites(): uiDataSize = 1740\n");
  EXPECT_EQ(fixture::Word(out.bytes, 0x1F8050), 0x82E0);
  EXPECT_EQ(fixture::Word(out.bytes, 0x1F8052), 0x8300);
  EXPECT_EQ(fixture::Word(out.bytes, 0x1F8054), 0x8330);
  EXPECT_EQ(fixture::Slice(out.bytes, 0x1F82E0, 16), rooms[0].spriteData);
  EXPECT_EQ(fixture::Slice(out.bytes, 0x1F8300, 32), Padded(rooms[1].spriteData));
  EXPECT_EQ(fixture::Slice(out.bytes, 0x1F8320, 16), Padded(TextBytes("Sprites Room 2")));
}

TEST(RoomSprites, EmptyListPointsAtWhatFollows) {
  RoomSet rooms = ExampleRooms();
  rooms[5].spriteData.clear();
  rooms[319].spriteData.clear();
  OutputRom out = BlankOutput();
  const Outcome outcome = Write(out, rooms);
  EXPECT_EQ(outcome.printed, "WriteRoomSprites(): uiDataSize = 2AF0\n");
  EXPECT_EQ(fixture::Word(out.bytes, 0x1F8050 + 2 * 5), 0x8380);
  EXPECT_EQ(fixture::Slice(out.bytes, 0x1F8380, 16), Padded(TextBytes("Sprites Room 6")));
  EXPECT_EQ(fixture::Word(out.bytes, 0x1F8050 + 2 * 6), 0x8390);
  const std::uint16_t last = fixture::Word(out.bytes, 0x1F8050 + 2 * 319);
  EXPECT_EQ(last, 0xAAB0);
  EXPECT_EQ(fixture::Slice(out.bytes, fixture::SnesToPc(0x3F0000u + last), 27),
            TextBytes("Sprite Pointers Loader Code"));
}

TEST(RoomSprites, RewrittenOutputPointsDeathCheckAtNewMasks) {
  OutputRom out = OutputFrom(fixture::BuildRom(ExampleRooms()));
  Write(out, ExampleRooms());
  RoomSet larger = ExampleRooms();
  larger[0].spriteData = SpriteList(40, 9);  // two more data blocks of 16
  out.position = AFTER_MARKER;
  Write(out, larger);
  EXPECT_EQ(Tell(out), 0x1FAB60);
  EXPECT_EQ(fixture::Slice(out.bytes, 0x1FAB30, 16), TextBytes("Slot Death Masks"));
  EXPECT_EQ(fixture::Slice(out.bytes, 0x4C372, 7),
            (ByteList{0xBF, 0x80, 0xDF, 0x7F, 0x39, 0x40, 0xAB}));
  EXPECT_EQ(fixture::Slice(out.bytes, 0x4C296, 4), (ByteList{0x22, 0x10, 0xAB, 0x3F}));
}

struct BoundaryCase {
  std::size_t dataBytes;  // padded data blocks in all
  std::string printed;
  std::string failure;
};

TEST(RoomSprites, BlockMustEndInBank3F) {
  const BoundaryCase cases[] = {
      {26816, "WriteRoomSprites(): uiDataSize = 7FD0\n", ""},
      {26832, "WriteRoomSprites(): uiDataSize = 7FE0\n",
       "The sprite lists need 0x7FE0 bytes but bank 0x3F has 0x7FD0 bytes left; the sprite lists "
       "are too large for bank 0x3F, the last bank the game's sprite code can use.\n"},
      {26864, "WriteRoomSprites(): uiDataSize = 8000\n",
       "The sprite lists need 0x8000 bytes but bank 0x3F has 0x7FD0 bytes left; the sprite lists "
       "are too large for bank 0x3F, the last bank the game's sprite code can use.\n"},
      {26880, "WriteRoomSprites(): uiDataSize = 8010\n", BANK_BREACH_LINE},
  };
  for (const BoundaryCase& test : cases) {
    SCOPED_TRACE(test.dataBytes);
    RoomSet rooms;
    rooms[0].spriteData = SpriteList(test.dataBytes - 16 * 100, 3);
    for (int room = 200; room < 300; ++room) rooms[room].spriteData = SpriteList(16, 4);
    OutputRom out = BlankOutput();
    const Outcome outcome = Write(out, rooms);
    EXPECT_EQ(outcome.printed, test.printed);
    EXPECT_EQ(outcome.failure, test.failure);
    if (test.failure.empty()) {
      EXPECT_EQ(Tell(out), 0x200000);
      EXPECT_EQ(out.placedBlocks.back().end, 0x200000);
      EXPECT_EQ(fixture::Slice(out.bytes, 0x4C296, 4), (ByteList{0x22, 0xB0, 0xFF, 0x3F}));
    }
  }
}

// A small image in the game's own form: table at 0x48000 (SNES 0x098000),
// every entry at a one-byte list at 0x48400 unless a test changes it.
RomImage GameFormImage(std::size_t size) {
  ByteList bytes(size, 0x00);
  fixture::PutBytes(bytes, 0x4C296, {0xA8, 0xB9, 0x00, 0x80});
  for (std::uint32_t room = 0; room < ROOM_COUNT; ++room) {
    fixture::PutWord(bytes, 0x48000 + 2 * room, 0x8400);
  }
  fixture::PutByte(bytes, 0x48400, 0xFF);
  return fixture::TestImage(std::move(bytes), "lists.sfc");
}

RoomSet ReadBack(RomImage& rom, std::string* printed = nullptr) {
  RoomSet rooms;
  const Outcome outcome = fixture::CaptureRun([&](std::FILE* console) {
    SpritePointerTable table;
    ReadSpritePointerTable(rom, table, console);
    ReadRoomSprites(rom, rooms, table);
  });
  EXPECT_EQ(outcome.failure, "");
  if (printed != nullptr) *printed = outcome.printed;
  return rooms;
}

TEST(RoomSprites, ListEndsAtFirstEndByteOrAtTheCap) {
  const struct {
    const char* what;
    std::uint16_t entry;
    std::uint32_t endByteAt;  // offset of the first 0xFF from the list's start
    std::size_t length;
    std::uint8_t lastByte;
  } cases[] = {
      {"end byte first", 0x9000, 0, 1, 0xFF},
      {"end byte in the middle", 0x9000, 5, 6, 0xFF},
      {"end byte as the 32768th byte", 0x0000, 0x7FFF, 0x8000, 0xFF},
      {"no end byte within 32768 bytes", 0x0000, 0x8000, 0x8000, 0x00},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.what);
    RomImage rom = GameFormImage(0x50000);
    fixture::PutWord(rom.bytes, 0x48000 + 2 * 17, test.entry);
    // Entries with bit 15 clear land 0x8000 bytes lower than their bank: 0x38000 here.
    const std::uint32_t list =
        test.entry == 0 ? 0x38000 : fixture::SnesToPc(0x090000u + test.entry);
    fixture::PutBytes(rom.bytes, list + test.endByteAt, {0xFF, 0xFF, 0x01});
    const RoomSet rooms = ReadBack(rom);
    ASSERT_EQ(rooms[17].spriteData.size(), test.length);
    EXPECT_EQ(rooms[17].spriteData.back(), test.lastByte);
    EXPECT_EQ(rooms[16].spriteData, ByteList{0xFF});
  }
}

TEST(RoomSprites, ListRunningOffTheFileStopsTheRun) {
  RomImage rom = GameFormImage(0x50000);
  fixture::PutWord(rom.bytes, 0x48000 + 2 * 250, 0xFFF8);
  const Outcome outcome = fixture::CaptureRun([&](std::FILE*) {
    SpritePointerTable table;
    RoomSet rooms;
    ReadSpritePointerTable(rom, table);
    ReadRoomSprites(rom, rooms, table);
  });
  EXPECT_EQ(outcome.failure,
            "lists.sfc: cannot read the sprite list of room 250 at offset 0x50000: it lies "
            "outside the file (0x50000 bytes).\n");
}

TEST(RoomSprites, GameFormIsReadQuietlyFromBankNine) {
  const RoomSet rooms = fixture::RandomRooms(11);
  RomImage rom = fixture::TestImage(fixture::BuildRom(rooms), "game.sfc");
  SpritePointerTable table;
  const Outcome outcome =
      fixture::CaptureRun([&](std::FILE* console) { ReadSpritePointerTable(rom, table, console); });
  EXPECT_EQ(outcome.printed, "");
  EXPECT_EQ(table.bank, 0x09);
  EXPECT_EQ(table.tableAddress, 0x098000u);
  RoomSet read;
  ReadRoomSprites(rom, read, table);
  for (int room = 0; room < ROOM_COUNT; ++room) {
    EXPECT_EQ(read[room].spriteData, rooms[room].spriteData) << room;
  }
}

TEST(RoomSprites, LoaderFormPrintsTheLoadersValues) {
  const RoomSet rooms = fixture::RandomRooms(12);
  RomImage rom =
      fixture::TestImage(fixture::BuildRom(rooms, {.spriteLoaderForm = true}), "loader.sfc");
  std::string printed;
  const RoomSet read = ReadBack(rom, &printed);
  EXPECT_EQ(printed,
            "uiJumpTarget: 9C3A0, uiBank: D, uiBank<<16: D0000, uiPointerTablePointer: D8000\n");
  for (int room = 0; room < ROOM_COUNT; ++room) {
    EXPECT_EQ(read[room].spriteData, rooms[room].spriteData) << room;
  }
}

TEST(RoomSprites, WrittenOutputReadsBackThroughItsLoader) {
  const RoomSet rooms = ExampleRooms();
  OutputRom out = OutputFrom(fixture::BuildRom(fixture::RandomRooms(5)));
  Write(out, rooms);
  std::string printed;
  const RoomSet read = ReadBack(out, &printed);
  EXPECT_EQ(
      printed,
      "uiJumpTarget: 3FAAF0, uiBank: 3F, uiBank<<16: 3F0000, uiPointerTablePointer: 3F8050\n");
  for (int room = 0; room < ROOM_COUNT; ++room) {
    EXPECT_EQ(read[room].spriteData, rooms[room].spriteData) << room;
  }
}

TEST(RoomSprites, CheckAcceptsGameCodeAndToolsLoader) {
  RomImage game = fixture::TestImage(fixture::BuildRom(fixture::SimpleRooms()), "game.sfc");
  RomImage loader = fixture::TestImage(
      fixture::BuildRom(fixture::SimpleRooms(), {.spriteLoaderForm = true}), "loader.sfc");
  OutputRom written = OutputFrom(fixture::BuildRom(fixture::SimpleRooms()));
  Write(written, ExampleRooms());
  for (RomImage* rom : {&game, &loader, static_cast<RomImage*>(&written)}) {
    EXPECT_EQ(Check(*rom).failure, "") << rom->name;
  }
}

TEST(RoomSprites, CheckRefusesOtherCodeAtTheSpriteLookup) {
  const struct {
    std::uint32_t offset;
    std::uint8_t value;
    std::string failure;
  } cases[] = {
      {0x4C296, 0x00,
       "game.sfc: unsupported ROM: the sprite table code at offset 0x4C296 holds 0x00 where the "
       "game has 0xA8 or this tool's loader call has 0x22.\n"},
      {0x4C296, 0x5C,
       "game.sfc: unsupported ROM: the sprite table code at offset 0x4C296 holds 0x5C where the "
       "game has 0xA8 or this tool's loader call has 0x22.\n"},
      {0x4C297, 0xBD,
       "game.sfc: unsupported ROM: the sprite table code at offset 0x4C297 holds 0xBD where the "
       "game has 0xB9.\n"},
  };
  for (const auto& test : cases) {
    RomImage rom = fixture::TestImage(fixture::BuildRom(fixture::SimpleRooms()), "game.sfc");
    rom.bytes.at(test.offset) = test.value;
    EXPECT_EQ(Check(rom).failure, test.failure);
  }
}

TEST(RoomSprites, CheckRefusesAlteredLoaderExceptItsPatchedBytes) {
  for (std::uint32_t index = 0; index < SPRITE_LOADER_SIZE; ++index) {
    SCOPED_TRACE(index);
    RomImage rom = fixture::TestImage(
        fixture::BuildRom(fixture::SimpleRooms(), {.spriteLoaderForm = true}), "loader.sfc");
    const std::uint32_t offset = fixture::LOADER + index;
    rom.bytes.at(offset) ^= 0x40;
    const Outcome outcome = Check(rom);
    if (index == 3 || index == 14 || index == 15) {
      EXPECT_EQ(outcome.failure, "");
      continue;
    }
    char expected[160];
    std::snprintf(expected, sizeof expected,
                  "loader.sfc: unsupported ROM: the sprite table loader called at offset 0x4C296 "
                  "holds 0x%02X at offset 0x%X where the loader has 0x%02X.\n",
                  rom.bytes.at(offset), offset, rom.bytes.at(offset) ^ 0x40);
    EXPECT_EQ(outcome.failure, expected);
  }
}

TEST(RoomSprites, CheckReadsLoaderOutsideTheFileAsAFailure) {
  const struct {
    std::uint32_t target;
    std::string offset;
  } cases[] = {
      {0x7F8000, "0x3F8000"},  // far past the 1 MiB image
      {0x1FFFF8, "0xFFFF8"},   // the last 8 bytes of the image
  };
  for (const auto& test : cases) {
    RomImage rom = fixture::TestImage(fixture::BuildRom(fixture::SimpleRooms()), "game.sfc");
    fixture::PutByte(rom.bytes, 0x4C296, 0x22);
    fixture::PutLong(rom.bytes, 0x4C297, test.target);
    EXPECT_EQ(Check(rom).failure, "game.sfc: cannot read the sprite pointer loader at offset " +
                                      test.offset +
                                      ": it lies outside the file (0x100000 bytes).\n");
  }
}

}  // namespace
