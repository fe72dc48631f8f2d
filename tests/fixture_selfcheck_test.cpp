// Layout facts of the synthetic ROM images that the product's readers rely on,
// and the command-line quoting the end-to-end tests use on Windows.
#include <gtest/gtest.h>

#include "fixture/rom_fixture.h"
#include "fixture/run_tool.h"

namespace fixture {
namespace {

TEST(RomFixture, ShortHeaderTablePutsRoomZeroBehindIt) {
  RoomSet rooms = SimpleRooms();
  ByteList rom = BuildRom(rooms, {.headerTable296 = true});
  EXPECT_EQ(Long(rom, HEADER_TABLE_FIELD), 0x048000u);
  EXPECT_EQ(Byte(rom, HEADER_BANK_FIELD), 0x04);
  EXPECT_EQ(Word(rom, HEADER_TABLE), 0x8000 + 592);
  const auto& header = rooms[0].header;
  EXPECT_EQ(Slice(rom, HEADER_TABLE + 592, ROOM_HEADER_SIZE),
            ByteList(header.begin(), header.end()));
  EXPECT_EQ(Word(rom, HEADER_TABLE + 2 * 295), 0x8000 + 592 + 295 * 14);
}

TEST(RomFixture, PitLastIndexIsTheLastWordsByteIndex) {
  RoomSet rooms = SimpleRooms();
  for (auto& room : rooms.rooms) room.hasPit = 0;
  EXPECT_EQ(Word(BuildRom(rooms), PIT_LAST_INDEX_FIELD), 0xFFFE);
  rooms[7].hasPit = rooms[3].hasPit = rooms[300].hasPit = 1;
  ByteList rom = BuildRom(rooms);
  EXPECT_EQ(Word(rom, PIT_LAST_INDEX_FIELD), 4);
  EXPECT_EQ(SnesToPc(Long(rom, PIT_LIST_FIELD)), PIT_LIST);
  EXPECT_EQ(Slice(rom, PIT_LIST, 6), (ByteList{3, 0, 7, 0, 0x2C, 0x01}));
}

TEST(RomFixture, PlantsCodeFields) {
  ByteList rom = BuildRom(SimpleRooms());
  EXPECT_EQ(Slice(rom, 0, 5), (ByteList{0x78, 0x9C, 0x00, 0x42, 0x9C}));
  EXPECT_EQ(Slice(rom, 0xB6C5, 4), (ByteList{0xBF, 0x01, 0x84, 0x05}));
  EXPECT_EQ(Slice(rom, 0x3B4FF, 3), (ByteList{0xB9, 0xA0, 0xF2}));
  EXPECT_EQ(Slice(rom, 0xEC09, 4), (ByteList{0xBF, 0x02, 0x84, 0x0E}));
  EXPECT_EQ(Slice(rom, 0x4C296, 4), (ByteList{0xA8, 0xB9, 0x00, 0x80}));
  ByteList loaderForm = BuildRom(SimpleRooms(), {.spriteLoaderForm = true});
  EXPECT_EQ(Slice(loaderForm, 0x4C296, 4), (ByteList{0x22, 0xA0, 0xC3, 0x09}));
  EXPECT_EQ(Slice(loaderForm, LOADER, 4), (ByteList{0xE2, 0x30, 0xA9, 0x0D}));
  EXPECT_EQ(Slice(loaderForm, LOADER + 13, 4), (ByteList{0xB9, 0x00, 0x80, 0x6B}));
}

TEST(RomFixture, RandomRoomsReadBackThroughLayerAndDoorTables) {
  RoomSet rooms = RandomRooms(7);
  EXPECT_EQ(rooms, RandomRooms(7));
  ByteList rom = BuildRom(rooms);
  for (std::uint32_t room = 0; room < ROOM_COUNT; ++room) {
    const RoomData& data = rooms[room];
    std::uint32_t layer = SnesToPc(Long(rom, LAYER_TABLE + 3 * room));
    EXPECT_EQ(Slice(rom, layer, data.layerData.size()), data.layerData);
    std::uint32_t door = Long(rom, DOOR_TABLE + 3 * room);
    EXPECT_EQ(door == 0 ? std::nullopt : std::optional(SnesToPc(door) - layer), data.doorOffset);
  }
}

// Checked here too, since the Windows run is not part of every test run: a
// fault there would pass arguments to roomxfer.exe that it reads otherwise.
TEST(RunTool, WindowsQuotingKeepsEveryArgumentAsItIs) {
  // Nothing to quote: backslashes stay as they are.
  EXPECT_EQ(WindowsQuote(L"a.sfc"), L"a.sfc");
  EXPECT_EQ(WindowsQuote(L"C:\\roms\\a.sfc"), L"C:\\roms\\a.sfc");
  // Empty, or with a space: in quotes, inner backslashes as they are.
  EXPECT_EQ(WindowsQuote(L""), L"\"\"");
  EXPECT_EQ(WindowsQuote(L"my rom.sfc"), L"\"my rom.sfc\"");
  EXPECT_EQ(WindowsQuote(L"a\\b c"), L"\"a\\b c\"");
  // A quote is escaped, and the backslashes in front of it are doubled, as
  // are those in front of the closing quote.
  EXPECT_EQ(WindowsQuote(L"a\"b"), L"\"a\\\"b\"");
  EXPECT_EQ(WindowsQuote(L"a\\\"b"), L"\"a\\\\\\\"b\"");
  EXPECT_EQ(WindowsQuote(L"C:\\my roms\\"), L"\"C:\\my roms\\\\\"");
}

}  // namespace
}  // namespace fixture
