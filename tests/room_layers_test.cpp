// Room layer data, their pointer table, and the door pointer table that points
// into them.
#include "tables/room_layers.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "fixture/rom_fixture.h"
#include "fixture/test_image.h"
#include "rom/snes_address.h"
#include "tables/room_doors.h"

namespace {

using fixture::ByteList;

using fixture::AFTER_MARKER;
using fixture::BANK_BREACH_LINE;
using fixture::Joined;
using fixture::Outcome;
using fixture::Repeated;
using fixture::TextBytes;
using fixture::UNTOUCHED;

constexpr std::uint32_t SPARE = 0xF0001;  // free bytes of a fixture image, at an odd offset

ByteList SimpleRom(const fixture::RomOptions& options = {}) {
  return fixture::BuildRom(fixture::SimpleRooms(), options);
}

// Points room `room`'s layer entry at `data`, stored at `offset`.
void PlantLayerData(ByteList& rom, int room, std::uint32_t offset, const ByteList& data) {
  fixture::PutBytes(rom, offset, data);
  fixture::PutLong(rom, fixture::LAYER_TABLE + 3 * room, fixture::PcToSnes(offset));
}

RoomSet ReadLayers(RomImage& rom) {
  LayerPointerTable table;
  ReadLayerPointerTable(rom, table);
  RoomSet rooms;
  ReadRoomLayers(rom, rooms, table);
  return rooms;
}

Outcome Write(OutputRom& out, const RoomSet& rooms) {
  return fixture::CaptureRun(out, [&] { WriteRoomLayers(out, rooms); });
}

std::int64_t LayerStart(const ByteList& rom, int room) {
  return fixture::SnesToPc(fixture::Long(rom, fixture::LAYER_TABLE + 3 * room));
}

// ---------------------------------------------------------------------------
// Reading

struct ScanCase {
  const char* what;
  ByteList bytes;  // at the room's address
  ByteList expected;
};

TEST(RoomLayerScan, FindsSectionEndsAtEveryBytePosition) {
  const std::vector<ScanCase> cases = {
      {"byte after the third pair is not 0xFF",
       {0x01, 0x02, 0xFF, 0xFF, 0x03, 0xFF, 0xFF, 0xFF, 0xFF, 0x04},
       {0x01, 0x02, 0xFF, 0xFF, 0x03, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"trailing 0xFF belongs to the room",
       {0x01, 0x02, 0xFF, 0xFF, 0x03, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x04},
       {0x01, 0x02, 0xFF, 0xFF, 0x03, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"pair at the first two of three 0xFF",
       {0x05, 0xFF, 0xFF, 0xFF, 0x06, 0xFF, 0xFF, 0xFF, 0xFF, 0x07},
       {0x05, 0xFF, 0xFF, 0xFF, 0x06, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"lone 0xFF is a data byte",
       {0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00},
       {0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"seven 0xFF: three pairs and the trailing byte",
       {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
       {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"empty sections", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}, Repeated(6, 0xFF)},
  };
  for (const ScanCase& scan : cases) {
    ByteList rom = SimpleRom();
    PlantLayerData(rom, 12, SPARE, scan.bytes);
    RomImage image = fixture::TestImage(rom, "src.sfc");
    EXPECT_EQ(ReadLayers(image)[12].layerData, scan.expected) << scan.what;
  }
}

TEST(RoomLayerScan, StepBudgetCountsDataBytesAndTheFirstTwoPairs) {
  const std::vector<ScanCase> cases = {
      {"no pair at all", Joined({Repeated(40000, 0x00), Repeated(6, 0xFF)}), Repeated(32768, 0x00)},
      {"two pairs, then more data than the budget",
       Joined({Repeated(4, 0xFF), Repeated(40000, 0x00), Repeated(2, 0xFF)}),
       Joined({Repeated(4, 0xFF), Repeated(32766, 0x00)})},
      {"third pair on the budget's last step takes none",
       Joined({Repeated(4, 0xFF), Repeated(32765, 0x00), Repeated(3, 0xFF)}),
       Joined({Repeated(4, 0xFF), Repeated(32765, 0x00), Repeated(3, 0xFF)})},
  };
  for (const ScanCase& scan : cases) {
    ByteList rom = SimpleRom();
    PlantLayerData(rom, 12, 0xE0000, scan.bytes);
    RomImage image = fixture::TestImage(rom, "src.sfc");
    EXPECT_EQ(ReadLayers(image)[12].layerData, scan.expected) << scan.what;
  }
}

TEST(RoomLayerScan, ThirdPairEndingTheFileCompletesTheRoom) {
  ByteList rom = SimpleRom();
  rom.resize(0x90000);
  const ByteList data = {0x01, 0xFF, 0xFF, 0x02, 0xFF, 0xFF, 0x03, 0xFF, 0xFF};
  PlantLayerData(rom, 12, 0x90000 - 9, data);
  RomImage image = fixture::TestImage(rom, "src.sfc");
  EXPECT_EQ(ReadLayers(image)[12].layerData, data);
}

TEST(RoomLayerScan, ScanRunningOffTheFileStopsTheRun) {
  const std::vector<ByteList> tails = {
      {0x01, 0xFF, 0xFF, 0x02, 0xFF, 0xFF, 0x03},
      {0x01, 0xFF, 0xFF, 0x02, 0xFF, 0xFF, 0x03, 0xFF},
      {0x01, 0x02},
  };
  for (const ByteList& tail : tails) {
    ByteList rom = SimpleRom();
    rom.resize(0x90000);
    PlantLayerData(rom, 12, static_cast<std::uint32_t>(0x90000 - tail.size()), tail);
    RomImage image = fixture::TestImage(rom, "src.sfc");
    Outcome outcome = fixture::CaptureRun([&](std::FILE*) { ReadLayers(image); });
    EXPECT_EQ(outcome.failure,
              "src.sfc: cannot read the layer data of room 12 at offset 0x8FFFF: it lies outside "
              "the file (0x90000 bytes).\n")
        << tail.size();
  }
}

TEST(RoomLayerRead, ReadsTheTableAndEveryRoomOfTheImage) {
  RomImage image = fixture::TestImage(fixture::BuildRom(fixture::RandomRooms(21)), "src.sfc");
  LayerPointerTable table;
  ReadLayerPointerTable(image, table);
  EXPECT_EQ(table.tableAddress, 0x058000u);
  EXPECT_EQ(table.pointers[7], fixture::Long(image.bytes, fixture::LAYER_TABLE + 21));
  EXPECT_EQ(LayerTableOffset(image), fixture::LAYER_TABLE);

  const RoomSet expected = fixture::RandomRooms(21);
  const RoomSet rooms = ReadLayers(image);
  for (int room = 0; room < ROOM_COUNT; ++room) {
    EXPECT_EQ(rooms[room].layerData, expected[room].layerData) << room;
    EXPECT_EQ(rooms[room].doorOffset, expected[room].doorOffset) << room;
  }
}

// ---------------------------------------------------------------------------
// The door pointer table

TEST(RoomDoors, TableIsFoundOnlyWhenAllFourLoadsNameIt) {
  constexpr std::uint32_t D = 0x058400;  // fixture::DOOR_TABLE
  struct Case {
    const char* what;
    std::uint32_t offset;
    ByteList bytes;
  };
  const std::vector<Case> broken = {
      {"first opcode", 0xB6C5, {0xAF}},
      {"last opcode", 0xB7FD, {0xBD}},
      {"table operands differ", 0xB7FE, {0x00, 0x85, 0x05}},
      {"first operand is the table itself", 0xB6C6, {0x00, 0x84, 0x05}},
      {"third operand is table + 2", 0xB7F8, {0x02, 0x84, 0x05}},
  };
  RomImage intact = fixture::TestImage(SimpleRom(), "src.sfc");
  EXPECT_EQ(DoorTableOffset(intact), std::optional<std::uint32_t>(fixture::DOOR_TABLE));
  EXPECT_EQ(fixture::Long(intact.bytes, 0xB6CC), D);
  RomImage without = fixture::TestImage(SimpleRom({.doorTable = false}), "src.sfc");
  EXPECT_EQ(DoorTableOffset(without), std::nullopt);

  for (const Case& change : broken) {
    ByteList rom = SimpleRom();
    fixture::PutBytes(rom, change.offset, change.bytes);
    RomImage image = fixture::TestImage(rom, "src.sfc");
    EXPECT_EQ(DoorTableOffset(image), std::nullopt) << change.what;
    for (const RoomData& room : ReadLayers(image).rooms) {
      EXPECT_EQ(room.doorOffset, std::nullopt) << change.what;
    }
  }
}

TEST(RoomDoors, EntryCountsOnlyWhenInsideTheRoomsLayerData) {
  struct Case {
    std::int64_t entryFromLayerStart;
    std::optional<std::uint32_t> doorOffset;
  };
  const std::size_t size = fixture::SimpleRooms()[4].layerData.size();  // 19 bytes
  const std::vector<Case> cases = {
      {0, 0u},
      {static_cast<std::int64_t>(size) - 1, static_cast<std::uint32_t>(size - 1)},
      {static_cast<std::int64_t>(size), std::nullopt},
      {-1, std::nullopt},
  };
  for (const Case& entry : cases) {
    ByteList rom = SimpleRom();
    const std::int64_t door = LayerStart(rom, 4) + entry.entryFromLayerStart;
    fixture::PutLong(rom, fixture::DOOR_TABLE + 3 * 4,
                     fixture::PcToSnes(static_cast<std::uint32_t>(door)));
    RomImage image = fixture::TestImage(rom, "src.sfc");
    EXPECT_EQ(ReadLayers(image)[4].doorOffset, entry.doorOffset) << entry.entryFromLayerStart;
  }

  // The layer data's start named below 0x8000 of a bank, where the game finds
  // no ROM, though the conversion gives the same offset.
  ByteList rom = SimpleRom();
  const auto door = static_cast<std::uint32_t>(LayerStart(rom, 4));
  const std::uint32_t belowRom = ((door / 0x8000 + 2) << 16) | (door % 0x8000);
  ASSERT_EQ(SnesToPc(belowRom), door);
  fixture::PutLong(rom, fixture::DOOR_TABLE + 3 * 4, belowRom);
  RomImage image = fixture::TestImage(rom, "src.sfc");
  EXPECT_EQ(ReadLayers(image)[4].doorOffset, std::nullopt);
}

TEST(RoomDoors, TableReachingPastTheFileStopsTheRun) {
  ByteList rom = SimpleRom();
  const std::uint32_t table = 0x100000 - 959;  // one byte short
  const std::uint32_t address = fixture::PcToSnes(table);
  for (std::size_t i = 0; i < fixture::DOOR_TABLE_FIELDS.size(); ++i) {
    fixture::PutLong(rom, fixture::DOOR_TABLE_FIELDS.at(i),
                     address + fixture::DOOR_TABLE_FIELD_ADDENDS.at(i));
  }
  RomImage image = fixture::TestImage(rom, "src.sfc");
  Outcome outcome = fixture::CaptureRun([&](std::FILE*) { ReadLayers(image); });
  EXPECT_EQ(outcome.failure,
            "src.sfc: cannot read the door pointer table at offset 0xFFC41: it lies outside the "
            "file (0x100000 bytes).\n");
}

// ---------------------------------------------------------------------------
// Writing

TEST(RoomLayerWrite, FirstBlocksAndEntriesAreByteExact) {
  const ByteList destination = SimpleRom();
  OutputRom out = fixture::PaddedOutputImage(destination, AFTER_MARKER, UNTOUCHED);
  EXPECT_EQ(Write(out, fixture::SimpleRooms()).printed, "");

  const ByteList& bytes = out.bytes;
  // Room 0: label field at 0x1F8030, 19 bytes of data at 0x1F8040.
  EXPECT_EQ(fixture::Slice(bytes, 0x1F8028, 8), Repeated(8, UNTOUCHED));
  EXPECT_EQ(fixture::Slice(bytes, 0x1F8030, 16),
            Joined({TextBytes("Layer Room 0"), Repeated(4, UNTOUCHED)}));
  EXPECT_EQ(fixture::Slice(bytes, 0x1F8040, 20),
            (ByteList{0x01, 0x00, 0x00, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0xFF, 0xFF,
                      0x03, 0x00, 0x00, 0xF0, 0xFF, 0x10, 0x00, 0xFF, 0xFF, UNTOUCHED}));
  // Room 1: label field at 0x1F8060, 15 bytes at 0x1F8070; room 2 at 0x1F8080.
  EXPECT_EQ(fixture::Slice(bytes, 0x1F8060, 16),
            Joined({TextBytes("Layer Room 1"), Repeated(4, UNTOUCHED)}));
  EXPECT_EQ(fixture::Slice(bytes, 0x1F8070, 16),
            (ByteList{0x01, 0x01, 0x00, 0xFF, 0xFF, 0x02, 0x01, 0x00, 0xFF, 0xFF, 0x03, 0x01, 0x00,
                      0xFF, 0xFF, UNTOUCHED}));
  EXPECT_EQ(fixture::Slice(bytes, 0x1F8080, 12), TextBytes("Layer Room 2"));
  // Table entries: low byte, high byte, bank; no 0x80 bank bit.
  EXPECT_EQ(fixture::Slice(bytes, fixture::LAYER_TABLE, 6),
            (ByteList{0x40, 0x80, 0x3F, 0x70, 0x80, 0x3F}));
  // Door entries: room 0's list at 0x1F8040 + 15; room 1 has none and keeps its entry.
  EXPECT_EQ(fixture::Slice(bytes, fixture::DOOR_TABLE, 6),
            (ByteList{0x4F, 0x80, 0x3F, 0x00, 0x00, 0x00}));
  // The table address itself is not touched.
  EXPECT_EQ(fixture::Slice(bytes, fixture::LAYER_TABLE_FIELD, 3), (ByteList{0x00, 0x80, 0x05}));
}

TEST(RoomLayerWrite, EveryRoomGetsItsOwnBlockAndEntry) {
  const RoomSet rooms = fixture::RandomRooms(5, {.maxSectionBytes = 200});
  const ByteList destination = SimpleRom();
  OutputRom out = fixture::PaddedOutputImage(destination, AFTER_MARKER, UNTOUCHED);
  Write(out, rooms);

  std::int64_t cursor = AFTER_MARKER;
  int bankMoves = 0;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    const ByteList& data = rooms[room].layerData;
    cursor = (cursor + 15) / 16 * 16;
    const auto size = static_cast<std::int64_t>(data.size()) + 16;
    if (cursor / 0x8000 != (cursor + size - 1) / 0x8000) {
      cursor = (cursor / 0x8000 + 1) * 0x8000;
      ++bankMoves;
    }
    const std::string label = "Layer Room " + std::to_string(room);
    ASSERT_EQ(fixture::Slice(out.bytes, cursor, label.size()), TextBytes(label)) << room;
    EXPECT_EQ(LayerStart(out.bytes, room), cursor + 16) << room;
    EXPECT_EQ(fixture::Slice(out.bytes, cursor + 16, data.size()), data) << room;
    ASSERT_LT(static_cast<std::size_t>(room), out.placedBlocks.size());
    const PlacedBlock& block = out.placedBlocks[room];
    EXPECT_EQ(block.kind, BlockKind::LayerData);
    EXPECT_EQ(block.room, room);
    EXPECT_EQ(block.start, cursor);
    EXPECT_EQ(block.end, cursor + size);
    cursor += size;
  }
  EXPECT_GT(bankMoves, 0);
  EXPECT_EQ(out.placedBlocks.size(), static_cast<std::size_t>(ROOM_COUNT));
  EXPECT_EQ(Tell(out), cursor);
}

TEST(RoomLayerWrite, SharedDataAreReadEquallyAndWrittenAsSeparateCopies) {
  ByteList source = SimpleRom();
  fixture::PutLong(source, fixture::LAYER_TABLE + 3 * 5,
                   fixture::Long(source, fixture::LAYER_TABLE));
  RomImage image = fixture::TestImage(source, "src.sfc");
  const RoomSet rooms = ReadLayers(image);
  EXPECT_EQ(rooms[5].layerData, fixture::SimpleRooms()[0].layerData);
  EXPECT_EQ(rooms[5].doorOffset, std::nullopt);  // room 5's door entry still points elsewhere

  OutputRom out = fixture::PaddedOutputImage(SimpleRom(), AFTER_MARKER, UNTOUCHED);
  Write(out, rooms);
  const std::int64_t room0 = LayerStart(out.bytes, 0);
  const std::int64_t room5 = LayerStart(out.bytes, 5);
  EXPECT_NE(room0, room5);
  EXPECT_EQ(fixture::Slice(out.bytes, room0, rooms[0].layerData.size()), rooms[0].layerData);
  EXPECT_EQ(fixture::Slice(out.bytes, room5, rooms[0].layerData.size()), rooms[0].layerData);
  EXPECT_EQ(fixture::Slice(out.bytes, room5 - 16, 12), TextBytes("Layer Room 5"));
}

TEST(RoomLayerWrite, BlockThatWouldCrossABankStartsAtTheNextBank) {
  struct Case {
    std::size_t dataSize;
    std::int64_t labelAt;
  };
  // From 0x1FFFD0, 0x30 bytes are left in the bank: a 32-byte room fits, 33 bytes do not.
  const std::vector<Case> cases = {{32, 0x1FFFD0}, {33, 0x200000}};
  for (const Case& fit : cases) {
    RoomSet rooms = fixture::SimpleRooms();
    rooms[0].layerData = Joined({Repeated(fit.dataSize - 6, 0x11), Repeated(6, 0xFF)});
    rooms[0].doorOffset = std::nullopt;
    OutputRom out = fixture::PaddedOutputImage(SimpleRom(), 0x1FFFC1, UNTOUCHED);
    Write(out, rooms);
    EXPECT_EQ(fixture::Slice(out.bytes, 0x1FFFC1, 15), Repeated(15, UNTOUCHED));
    EXPECT_EQ(fixture::Slice(out.bytes, fit.labelAt, 12), TextBytes("Layer Room 0"))
        << fit.dataSize;
    EXPECT_EQ(LayerStart(out.bytes, 0), fit.labelAt + 16) << fit.dataSize;
    if (fit.labelAt == 0x200000) {
      EXPECT_EQ(fixture::Slice(out.bytes, 0x1FFFD0, 0x30), Repeated(0x30, UNTOUCHED));
      EXPECT_EQ(fixture::Slice(out.bytes, fixture::LAYER_TABLE, 3), (ByteList{0x10, 0x80, 0x40}));
    }
  }
}

TEST(RoomLayerWrite, RoomLongerThanABankLessItsLabelStopsTheRun) {
  RoomSet rooms = fixture::SimpleRooms();
  rooms[7].layerData = Joined({Repeated(0x7FF1 - 6, 0x22), Repeated(6, 0xFF)});
  OutputRom out = fixture::PaddedOutputImage(SimpleRom(), AFTER_MARKER, UNTOUCHED);
  Outcome outcome = Write(out, rooms);
  EXPECT_EQ(outcome.printed, "");
  EXPECT_EQ(outcome.failure, BANK_BREACH_LINE);
  EXPECT_EQ(out.placedBlocks.size(), 7u);  // rooms 0 to 6 were written
  EXPECT_EQ(fixture::Slice(out.bytes, LayerStart(out.bytes, 6) - 16, 12),
            TextBytes("Layer Room 6"));

  rooms[7].layerData.pop_back();  // 0x7FF0 bytes: label and data fill one bank exactly
  OutputRom fits = fixture::PaddedOutputImage(SimpleRom(), AFTER_MARKER, UNTOUCHED);
  EXPECT_EQ(Write(fits, rooms).failure, "");
  EXPECT_EQ(LayerStart(fits.bytes, 7), 0x200010);
  EXPECT_EQ(LayerStart(fits.bytes, 8), 0x208010);
}

// After a transfer, every room's door entry follows its door list into the
// relocated layer data.
TEST(RoomDoorWrite, DoorEntriesFollowTheirLayerData) {
  RomImage source = fixture::TestImage(fixture::BuildRom(fixture::RandomRooms(3)), "src.sfc");
  const ByteList destination = SimpleRom();
  RomImage destinationImage = fixture::TestImage(destination, "dst.sfc");
  const RoomSet sourceSet = ReadLayers(source);
  RoomSet rooms = ReadLayers(destinationImage);
  int withDoor = 0;
  int withoutDoor = 0;
  for (int room = 0; room < ROOM_COUNT; room += 2) {  // even rooms had a door list
    rooms[room] = sourceSet[room + 1];
    (sourceSet[room + 1].doorOffset ? withDoor : withoutDoor) += 1;
  }
  ASSERT_GT(withDoor, 0);
  ASSERT_GT(withoutDoor, 0);

  OutputRom out = fixture::PaddedOutputImage(destination, AFTER_MARKER, UNTOUCHED);
  Write(out, rooms);
  for (int room = 0; room < ROOM_COUNT; ++room) {
    const std::uint32_t entry = fixture::Long(out.bytes, fixture::DOOR_TABLE + 3 * room);
    const std::uint32_t before = fixture::Long(destination, fixture::DOOR_TABLE + 3 * room);
    if (!rooms[room].doorOffset) {
      EXPECT_EQ(entry, before) << room;
      continue;
    }
    const std::uint32_t door = fixture::SnesToPc(entry);
    EXPECT_EQ(door, LayerStart(out.bytes, room) + *rooms[room].doorOffset) << room;
    EXPECT_EQ(fixture::Slice(out.bytes, door - 2, 2), (ByteList{0xF0, 0xFF})) << room;
  }
}

TEST(RoomDoorWrite, DestinationWithoutDoorTableChangesOnlyTheLayerTable) {
  RomImage source = fixture::TestImage(fixture::BuildRom(fixture::RandomRooms(3)), "src.sfc");
  const ByteList destination = SimpleRom({.doorTable = false});
  OutputRom out = fixture::PaddedOutputImage(destination, AFTER_MARKER, UNTOUCHED);
  Write(out, ReadLayers(source));

  ByteList below(out.bytes.begin(), out.bytes.begin() + 0x1F8000);
  ByteList expected = destination;
  expected.resize(0x1F8000, UNTOUCHED);
  fixture::PutBytes(expected, fixture::LAYER_TABLE,
                    fixture::Slice(out.bytes, fixture::LAYER_TABLE, 3 * ROOM_COUNT));
  EXPECT_TRUE(below == expected);
  EXPECT_EQ(fixture::Slice(out.bytes, fixture::DOOR_TABLE, 3 * ROOM_COUNT),
            fixture::Slice(destination, fixture::DOOR_TABLE, 3 * ROOM_COUNT));
}

// ---------------------------------------------------------------------------
// Through the whole run

TEST(RoomLayerRun, TransferMovesLayerDataAndDoorEntriesWithTheirRooms) {
  const RoomSet sourceRooms = fixture::RandomRooms(3);
  RoomSet expected = fixture::SimpleRooms();
  const std::vector<std::pair<int, int>> pairs = {{1, 0}, {3, 2}, {5, 4}, {300, 6}, {0, 319}};
  for (const auto& [from, onto] : pairs) expected[onto] = sourceRooms[from];
  e2e::Workspace workspace;
  const ByteList destination = SimpleRom();
  workspace.Put("src.sfc", fixture::BuildRom(sourceRooms));
  workspace.Put("dst.sfc", destination);
  const fixture::RunResult result =
      workspace.Run({"src.sfc", "dst.sfc", "1-0-3-2-5-4-300-6-0-319"});
  ASSERT_EQ(result.exitStatus, 0) << result.output;

  const ByteList out = workspace.Get("_dst.sfc");
  for (int room = 0; room < ROOM_COUNT; ++room) {
    const ByteList& data = expected[room].layerData;
    const std::int64_t start = LayerStart(out, room);
    EXPECT_GE(start, 0x1F8000) << room;
    EXPECT_EQ(fixture::Slice(out, start, data.size()), data) << room;
    const std::uint32_t entry = fixture::Long(out, fixture::DOOR_TABLE + 3 * room);
    if (!expected[room].doorOffset) {
      EXPECT_EQ(entry, fixture::Long(destination, fixture::DOOR_TABLE + 3 * room)) << room;
      continue;
    }
    const std::uint32_t door = fixture::SnesToPc(entry);
    EXPECT_EQ(door, start + *expected[room].doorOffset) << room;
    EXPECT_EQ(fixture::Slice(out, door - 2, 2), (ByteList{0xF0, 0xFF})) << room;
  }
}

TEST(RoomLayerRun, RoomTooLongForABankEndsTheRunWithoutOutput) {
  RoomSet rooms = fixture::SimpleRooms();
  rooms[0].layerData = Joined({Repeated(0x7FF1 - 6, 0x22), Repeated(6, 0xFF)});
  rooms[0].doorOffset = std::nullopt;
  e2e::Workspace workspace;
  workspace.Put("a.sfc", fixture::BuildRom(rooms));
  const fixture::RunResult result = workspace.Run({"a.sfc"});
  EXPECT_EQ(result.exitStatus, 1);
  const std::string ending = "WriteRoomHeaders(): uiDataSize = 2800\n" + BANK_BREACH_LINE;
  ASSERT_GE(result.output.size(), ending.size()) << result.output;
  EXPECT_EQ(result.output.substr(result.output.size() - ending.size()), ending);
  EXPECT_EQ(workspace.Entries(), (std::set<std::string>{"a.sfc"}));
}

}  // namespace
