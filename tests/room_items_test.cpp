// Room item lists and their pointer table.
#include "tables/room_items.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_support.h"
#include "fixture/rom_fixture.h"
#include "fixture/test_image.h"

namespace {

using fixture::ByteList;

using fixture::BANK_BREACH_LINE;
using fixture::Joined;
using fixture::Outcome;
using fixture::Repeated;
using fixture::TextBytes;
using fixture::UNTOUCHED;

constexpr std::uint32_t SPARE = 0x67E01;  // free bytes in the fixture's item bank, odd offset

ByteList SimpleRom() { return fixture::BuildRom(fixture::SimpleRooms()); }

// Points room `room`'s item entry at `list`, stored at `offset` in the item bank.
void PlantItemList(ByteList& rom, int room, std::uint32_t offset, const ByteList& list) {
  fixture::PutBytes(rom, offset, list);
  fixture::PutWord(rom, fixture::ITEM_TABLE + 2 * room,
                   static_cast<std::uint16_t>(fixture::PcToSnes(offset)));
}

RoomSet ReadItems(RomImage& rom) {
  ItemPointerTable table;
  ReadItemPointerTable(rom, table);
  RoomSet rooms;
  ReadRoomItems(rom, rooms, table);
  return rooms;
}

OutputRom Output(std::int64_t position) {
  return fixture::PaddedOutputImage(SimpleRom(), position, UNTOUCHED);
}

Outcome Write(OutputRom& out, const RoomSet& rooms) {
  return fixture::CaptureRun(out, [&] { WriteRoomItems(out, rooms); });
}

ByteList ItemList(std::size_t length) {
  return Joined({Repeated(length - 2, 0x30), Repeated(2, 0xFF)});
}

std::uint16_t Entry(const ByteList& rom, int room) {
  return fixture::Word(rom, fixture::ITEM_TABLE + 2 * room);
}

// ---------------------------------------------------------------------------
// Reading

struct ScanCase {
  const char* what;
  ByteList bytes;  // at the room's address
  ByteList expected;
};

TEST(RoomItemScan, ListEndsAtTheFirstPairAtAnyBytePosition) {
  const std::vector<ScanCase> cases = {
      {"plain list", {0x10, 0x20, 0x30, 0xFF, 0xFF, 0x40}, {0x10, 0x20, 0x30, 0xFF, 0xFF}},
      {"third 0xFF is not taken", {0x10, 0x20, 0xFF, 0xFF, 0xFF}, {0x10, 0x20, 0xFF, 0xFF}},
      {"pair at an odd position", {0x10, 0xFF, 0xFF, 0x20}, {0x10, 0xFF, 0xFF}},
      {"lone 0xFF is a data byte", {0xFF, 0x10, 0xFF, 0xFF}, {0xFF, 0x10, 0xFF, 0xFF}},
      {"empty list", {0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF}},
      {"no pair within 32768 bytes", Joined({Repeated(32768, 0x00), Repeated(2, 0xFF)}),
       Repeated(32768, 0x00)},
      {"pair right after 32767 bytes", Joined({Repeated(32767, 0x00), Repeated(2, 0xFF)}),
       Joined({Repeated(32767, 0x00), Repeated(2, 0xFF)})},
  };
  for (const ScanCase& scan : cases) {
    ByteList rom = SimpleRom();
    // Long lists go where they do not run over the fixture's lists.
    const std::uint32_t offset = scan.bytes.size() > 0x100 ? 0x64001 : SPARE;
    PlantItemList(rom, 12, offset, scan.bytes);
    RomImage image = fixture::TestImage(rom, "src.sfc");
    EXPECT_EQ(ReadItems(image)[12].itemData, scan.expected) << scan.what;
  }
}

TEST(RoomItemScan, ListEndingTheFileIsComplete) {
  ByteList rom = SimpleRom();
  rom.resize(0x68000);
  PlantItemList(rom, 12, 0x68000 - 3, {0x10, 0xFF, 0xFF});
  RomImage image = fixture::TestImage(rom, "src.sfc");
  EXPECT_EQ(ReadItems(image)[12].itemData, (ByteList{0x10, 0xFF, 0xFF}));
}

TEST(RoomItemScan, ScanRunningOffTheFileStopsTheRun) {
  const std::vector<ByteList> tails = {{0x10, 0x20}, {0x10, 0xFF}, {0xFF}};
  for (const ByteList& tail : tails) {
    ByteList rom = SimpleRom();
    rom.resize(0x68000);
    PlantItemList(rom, 12, static_cast<std::uint32_t>(0x68000 - tail.size()), tail);
    RomImage image = fixture::TestImage(rom, "src.sfc");
    Outcome outcome = fixture::CaptureRun([&](std::FILE*) { ReadItems(image); });
    EXPECT_EQ(outcome.failure,
              "src.sfc: cannot read the item list of room 12 at offset 0x67FFF: it lies outside "
              "the file (0x68000 bytes).\n")
        << tail.size();
  }
}

TEST(RoomItemRead, ReadsTheTableAndEveryRoomOfTheImage) {
  RomImage image = fixture::TestImage(fixture::BuildRom(fixture::RandomRooms(8)), "src.sfc");
  ItemPointerTable table;
  ReadItemPointerTable(image, table);
  EXPECT_EQ(table.bank, 0x0C);
  EXPECT_EQ(table.tableAddress, 0x0C8000u);
  EXPECT_EQ(table.entries[9], Entry(image.bytes, 9));
  EXPECT_EQ(ItemTableOffset(image), fixture::ITEM_TABLE);

  const RoomSet expected = fixture::RandomRooms(8);
  const RoomSet rooms = ReadItems(image);
  for (int room = 0; room < ROOM_COUNT; ++room) {
    EXPECT_EQ(rooms[room].itemData, expected[room].itemData) << room;
  }
}

// ---------------------------------------------------------------------------
// Writing

TEST(RoomItemWrite, BlockBankByteAndEntriesAreByteExact) {
  OutputRom out = Output(0x1FA001);
  EXPECT_EQ(Write(out, fixture::SimpleRooms()).printed, "WriteRoomItems(): uiDataSize = 2800\n");

  const ByteList& bytes = out.bytes;
  EXPECT_EQ(fixture::Slice(bytes, 0x1FA001, 15), Repeated(15, UNTOUCHED));
  EXPECT_EQ(fixture::Byte(bytes, fixture::ITEM_BANK_FIELD), 0x3F);
  EXPECT_EQ(fixture::Slice(bytes, fixture::ITEM_TABLE_FIELD, 3), (ByteList{0x00, 0x80, 0x0C}));
  // Room 0 at 0x1FA010: label field, then 00 00 05 FF FF and eleven 0x00.
  EXPECT_EQ(fixture::Slice(bytes, 0x1FA010, 32), Joined({TextBytes("Items Room 0"),
                                                         Repeated(4, 0x00),
                                                         {0x00, 0x00, 0x05, 0xFF, 0xFF},
                                                         Repeated(11, 0x00)}));
  EXPECT_EQ(fixture::Slice(bytes, 0x1FA030, 16),
            Joined({TextBytes("Items Room 1"), Repeated(4, 0)}));
  // Room 319, the last one, ends the block at 0x1FA010 + 0x2800.
  EXPECT_EQ(fixture::Slice(bytes, 0x1FA010 + 319 * 32, 32), Joined({TextBytes("Items Room 319"),
                                                                    Repeated(2, 0x00),
                                                                    {0x40, 0x01, 0x05, 0xFF, 0xFF},
                                                                    Repeated(11, 0x00)}));
  EXPECT_EQ(fixture::Byte(bytes, 0x1FC810), UNTOUCHED);
  EXPECT_EQ(Tell(out), 0x1FC810);
  for (int room = 0; room < ROOM_COUNT; ++room) {
    EXPECT_EQ(Entry(bytes, room), 0xA020 + 32 * room) << room;
  }
  ASSERT_EQ(out.placedBlocks.size(), 1u);
  EXPECT_EQ(out.placedBlocks[0].start, 0x1FA010);
  EXPECT_EQ(out.placedBlocks[0].end, 0x1FC810);
}

TEST(RoomItemWrite, ListsAreFieldsOfWholeSixteenBytes) {
  struct Case {
    std::size_t length;
    std::string printed;
    std::int64_t room1Label;
  };
  const std::vector<Case> cases = {
      {16, "WriteRoomItems(): uiDataSize = 2800\n", 0x1F8050},
      {17, "WriteRoomItems(): uiDataSize = 2810\n", 0x1F8060},
  };
  for (const Case& list : cases) {
    RoomSet rooms = fixture::SimpleRooms();
    rooms[0].itemData = ItemList(list.length);
    OutputRom out = Output(0x1F8030);
    EXPECT_EQ(Write(out, rooms).printed, list.printed);
    EXPECT_EQ(fixture::Slice(out.bytes, 0x1F8040, list.length), rooms[0].itemData);
    EXPECT_EQ(fixture::Slice(out.bytes, 0x1F8040 + list.length,
                             static_cast<std::size_t>(list.room1Label - 0x1F8040) - list.length),
              Repeated(static_cast<std::size_t>(list.room1Label - 0x1F8040) - list.length, 0x00));
    EXPECT_EQ(fixture::Slice(out.bytes, list.room1Label, 12), TextBytes("Items Room 1"));
    EXPECT_EQ(Entry(out.bytes, 1), 0x8000 + (list.room1Label + 16) % 0x8000);
  }
}

TEST(RoomItemWrite, BlockThatWouldCrossABankStartsAtTheNextBank) {
  struct Case {
    std::int64_t position;
    std::int64_t blockStart;
    std::uint8_t bank;
  };
  // The block is 0x2800 bytes: from 0x1FD800 it ends exactly at the bank's end.
  const std::vector<Case> cases = {{0x1FD800, 0x1FD800, 0x3F}, {0x1FD801, 0x200000, 0x40}};
  for (const Case& fit : cases) {
    OutputRom out = Output(fit.position);
    Write(out, fixture::SimpleRooms());
    EXPECT_EQ(fixture::Byte(out.bytes, fixture::ITEM_BANK_FIELD), fit.bank);
    EXPECT_EQ(fixture::Slice(out.bytes, fit.blockStart, 12), TextBytes("Items Room 0"));
    EXPECT_EQ(Entry(out.bytes, 0), 0x8000 + (fit.blockStart + 16) % 0x8000);
    EXPECT_EQ(Tell(out), fit.blockStart + 0x2800);
    if (fit.blockStart == 0x200000) {
      EXPECT_EQ(fixture::Slice(out.bytes, 0x1FD801, 0x27FF), Repeated(0x27FF, UNTOUCHED));
    }
  }
}

TEST(RoomItemWrite, SharedListsAreWrittenAsSeparateCopies) {
  ByteList source = SimpleRom();
  fixture::PutWord(source, fixture::ITEM_TABLE + 2 * 5, Entry(source, 3));
  RomImage image = fixture::TestImage(source, "src.sfc");
  const RoomSet rooms = ReadItems(image);
  EXPECT_EQ(rooms[5].itemData, rooms[3].itemData);
  OutputRom out = Output(0x1F8030);
  Write(out, rooms);
  EXPECT_NE(Entry(out.bytes, 3), Entry(out.bytes, 5));
  EXPECT_EQ(fixture::Slice(out.bytes, 0x1F8040 + 5 * 32, 5), rooms[3].itemData);
}

TEST(RoomItemWrite, ListsOverABankLessTheLabelsStopTheRunAfterTheProgressLine) {
  struct Case {
    std::size_t room1Length;
    std::string printed;
    bool stops;
  };
  // Labels take 0x1400 bytes; the padded lists 0x3600 + 0x3600 fit, 0x3600 + 0x3610 do not.
  const std::vector<Case> cases = {
      {0x3600, "WriteRoomItems(): uiDataSize = 8000\n", false},
      {0x3601, "WriteRoomItems(): uiDataSize = 8010\n", true},
  };
  for (const Case& size : cases) {
    RoomSet rooms;
    rooms[0].itemData = ItemList(0x3600);
    rooms[1].itemData = ItemList(size.room1Length);
    OutputRom out = Output(0x200010);
    Outcome outcome = Write(out, rooms);
    EXPECT_EQ(outcome.printed, size.printed);
    EXPECT_EQ(outcome.failure, size.stops ? BANK_BREACH_LINE : "");
    if (size.stops) {
      EXPECT_EQ(fixture::Byte(out.bytes, fixture::ITEM_BANK_FIELD), 0x0C);
      EXPECT_EQ(fixture::Slice(out.bytes, 0x200010, 0x10000), Repeated(0x10000, UNTOUCHED));
      EXPECT_TRUE(out.placedBlocks.empty());
    } else {
      EXPECT_EQ(fixture::Slice(out.bytes, 0x208000, 12), TextBytes("Items Room 0"));
      EXPECT_EQ(Tell(out), 0x210000);
    }
  }
}

// ---------------------------------------------------------------------------
// Through the whole run

TEST(RoomItemRun, TransferMovesItemListsWithTheirRooms) {
  const RoomSet sourceRooms = fixture::RandomRooms(4);
  RoomSet expected = fixture::SimpleRooms();
  const std::vector<std::pair<int, int>> pairs = {{1, 0}, {2, 5}, {2, 6}, {319, 7}};
  for (const auto& [from, onto] : pairs) expected[onto] = sourceRooms[from];
  e2e::Workspace workspace;
  workspace.Put("src.sfc", fixture::BuildRom(sourceRooms));
  workspace.Put("dst.sfc", SimpleRom());
  const fixture::RunResult result = workspace.Run({"src.sfc", "dst.sfc", "1-0-2-5-2-6-319-7"});
  ASSERT_EQ(result.exitStatus, 0) << result.output;

  const ByteList out = workspace.Get("_dst.sfc");
  const std::uint32_t bank = fixture::Byte(out, fixture::ITEM_BANK_FIELD);
  EXPECT_GE(bank, 0x3Fu);
  EXPECT_NE(Entry(out, 5), Entry(out, 6));
  for (int room = 0; room < ROOM_COUNT; ++room) {
    const std::uint32_t list = fixture::SnesToPc((bank << 16) | Entry(out, room));
    const ByteList& data = expected[room].itemData;
    EXPECT_EQ(fixture::Slice(out, list, data.size()), data) << room;
    const std::string label = "Items Room " + std::to_string(room);
    EXPECT_EQ(fixture::Slice(out, list - 16, label.size()), TextBytes(label)) << room;
  }
}

TEST(RoomItemRun, ItemListsTooLongForOneBankEndTheRunWithoutOutput) {
  RoomSet rooms = fixture::SimpleRooms();
  rooms[0].itemData = ItemList(0x3600);
  rooms[1].itemData = ItemList(0x3601);
  e2e::Workspace workspace;
  workspace.Put("a.sfc", fixture::BuildRom(rooms));
  const fixture::RunResult result = workspace.Run({"a.sfc"});
  EXPECT_EQ(result.exitStatus, 1);
  const std::string ending = "WriteRoomItems(): uiDataSize = 93F0\n" + BANK_BREACH_LINE;
  ASSERT_GE(result.output.size(), ending.size()) << result.output;
  EXPECT_EQ(result.output.substr(result.output.size() - ending.size()), ending);
  EXPECT_EQ(workspace.Entries(), (std::set<std::string>{"a.sfc"}));
}

}  // namespace
