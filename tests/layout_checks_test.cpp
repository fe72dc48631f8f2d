// The layout of the relocated area checked end to end: tables the writers
// rewrite in place must lie outside it, it must end below bank 0x7E, and it
// must not hold another tool's data. A refusal is one line naming the
// destination ROM, exit status 1, no output, inputs unchanged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "e2e_support.h"
#include "fixture/text_lines.h"

namespace {

using e2e::Workspace;
using fixture::ByteList;

constexpr std::uint32_t RELOCATED_AREA = 0x1F8000;
const std::string MARKER = "Here come's Tamberu's Room Transfer code";

ByteList SimpleRom(std::size_t size = fixture::DEFAULT_ROM_SIZE) {
  fixture::RomOptions options;
  options.size = size;
  return fixture::BuildRom(fixture::SimpleRooms(), options);
}

using fixture::Hex;

// SimpleRooms: what the writers print before the layout is checked.
const std::string SIMPLE_ROOMS_LINES =
    "WriteRoomSprites(): uiDataSize = 2B10\n"
    "WriteRoomHeaders(): uiDataSize = 2800\n"
    "WriteRoomItems(): uiDataSize = 2800\n"
    "WriteRoomPushableBlocks(): uiDataSize = A0\n"
    "WriteRoomTorches(): uiDataSize = A0\n"
    "WriteRoomChests(): uiDataSize = C0\n"
    "WriteRoomPits(): uiDataSize = 5C\n"
    "WriteRoomMessages(): uiDataSize = 20\n";

bool IsProgressLine(const std::string& line) {
  return line.rfind("WriteRoom", 0) == 0 || line.rfind("uiJumpTarget: ", 0) == 0 ||
         line.rfind("Not enough memory for ", 0) == 0;
}

// Runs the tool on the ROMs in `files` and expects the writers' lines (exactly
// `progress` when given), then one line naming `romName` and every text of
// `named`; exit status 1, no file created, no input changed.
void ExpectRefused(const std::vector<std::pair<std::string, ByteList>>& files,
                   const std::vector<std::string>& arguments,
                   const std::optional<std::string>& progress, const std::string& romName,
                   const std::vector<std::string>& named) {
  Workspace workspace;
  std::set<std::string> names;
  for (const auto& [name, bytes] : files) {
    workspace.Put(name, bytes);
    names.insert(name);
  }
  const fixture::RunResult run = workspace.Run(arguments);
  EXPECT_EQ(run.exitStatus, 1);
  ASSERT_FALSE(run.output.empty());
  ASSERT_EQ(run.output.back(), '\n');
  const std::size_t lastLine = run.output.rfind('\n', run.output.size() - 2) + 1;
  const std::string earlier = run.output.substr(0, lastLine);
  const std::string refusal = run.output.substr(lastLine);
  if (progress) {
    EXPECT_EQ(earlier, *progress);
  } else {
    std::istringstream lines(earlier);
    for (std::string line; std::getline(lines, line);) EXPECT_TRUE(IsProgressLine(line)) << line;
  }
  EXPECT_EQ(refusal.rfind(romName + ": ", 0), 0u) << refusal;
  for (const std::string& text : named) {
    EXPECT_NE(refusal.find(text), std::string::npos) << text << " in " << refusal;
  }
  EXPECT_EQ(workspace.Entries(), names);
  for (const auto& [name, bytes] : files) EXPECT_EQ(workspace.Get(name), bytes) << name;
}

// One of the tables the writers rewrite where the destination keeps it, and
// the code fields that name it (operand = table address + addend).
struct InPlaceTable {
  std::string name;
  std::uint32_t fixtureOffset;
  std::uint32_t size;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> fields;
};

std::vector<InPlaceTable> MovableTables() {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> doorFields;
  for (std::size_t i = 0; i < fixture::DOOR_TABLE_FIELDS.size(); ++i) {
    doorFields.emplace_back(fixture::DOOR_TABLE_FIELDS.at(i),
                            fixture::DOOR_TABLE_FIELD_ADDENDS.at(i));
  }
  // The message table cannot move there: the game keeps it in bank 0x07.
  return {
      {"room header pointer table", fixture::HEADER_TABLE, 640, {{fixture::HEADER_TABLE_FIELD, 0}}},
      {"layer pointer table", fixture::LAYER_TABLE, 960, {{fixture::LAYER_TABLE_FIELD, 0}}},
      {"item pointer table", fixture::ITEM_TABLE, 640, {{fixture::ITEM_TABLE_FIELD, 0}}},
      {"door pointer table", fixture::DOOR_TABLE, 960, doorFields},
  };
}

void MoveTable(ByteList& rom, const InPlaceTable& table, std::uint32_t offset) {
  fixture::PutBytes(rom, offset, fixture::Slice(rom, table.fixtureOffset, table.size));
  for (const auto& [field, addend] : table.fields) {
    fixture::PutLong(rom, field, fixture::PcToSnes(offset) + addend);
  }
}

TEST(InPlaceTables, TableInsideTheRelocatedAreaIsRefused) {
  const ByteList source = SimpleRom();
  for (const InPlaceTable& table : MovableTables()) {
    SCOPED_TRACE(table.name);
    ByteList destination = SimpleRom(0x200000);
    MoveTable(destination, table, 0x1F9000);
    ExpectRefused({{"a.sfc", source}, {"b.sfc", destination}}, {"a.sfc", "b.sfc"},
                  SIMPLE_ROOMS_LINES, "b.sfc", {table.name, "0x1F9000"});
  }
}

TEST(InPlaceTables, TablesAboveTheRelocatedAreaAreRewrittenWhereTheyStand) {
  ByteList destination = SimpleRom(0x400000);
  std::uint32_t offset = 0x3E0000;
  for (const InPlaceTable& table : MovableTables()) {
    MoveTable(destination, table, offset);
    offset += 0x1000;
  }
  const RoomSet source = fixture::RandomRooms(7);
  Workspace workspace;
  workspace.Put("a.sfc", fixture::BuildRom(source));
  workspace.Put("b.sfc", destination);
  const fixture::RunResult run = workspace.Run({"a.sfc", "b.sfc", "1-2-3-4"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const ByteList out = workspace.Get("_b.sfc");
  ASSERT_EQ(out.size(), 0x400000u);
  // The old places keep the destination's bytes; the moved tables now lead to the new blocks.
  EXPECT_EQ(fixture::Slice(out, fixture::ITEM_TABLE, 640),
            fixture::Slice(destination, fixture::ITEM_TABLE, 640));
  EXPECT_GE(fixture::SnesToPc(fixture::Long(out, 0x3E1000 + 3 * 5)), RELOCATED_AREA);
  RoomSet expected = fixture::SimpleRooms();
  expected[2] = source[1];
  expected[4] = source[3];
  EXPECT_TRUE(e2e::ReadRooms(out) == expected);
}

TEST(RelocatedAreaEnd, LayerDataReachingBankSevenEAreRefused) {
  RoomSet rooms = fixture::SimpleRooms();
  // One list of 0x6FF6 bytes, stored once, read for 70 rooms: one bank each in the output.
  ByteList large(0x6FF0, 0x01);
  large.insert(large.end(), 6, 0xFF);
  for (int room = 0; room < 70; ++room) {
    rooms[room].layerData = large;
    rooms[room].doorOffset.reset();
  }
  const ByteList rom = fixture::BuildRom(rooms);
  ExpectRefused({{"big.sfc", rom}}, {"big.sfc"}, SIMPLE_ROOMS_LINES, "big.sfc", {"0x3F0000"});
}

TEST(OccupiedArea, DataOfAnotherToolInTheAreaAreRefused) {
  ByteList destination = SimpleRom(0x200000);
  fixture::PutByte(destination, 0x1FC000, 0x42);
  ExpectRefused({{"a.sfc", SimpleRom()}, {"b.sfc", destination}}, {"a.sfc", "b.sfc"},
                SIMPLE_ROOMS_LINES, "b.sfc", {"0x1FC000"});
}

TEST(OccupiedArea, AreaHoldingOnlyZeroAndFFBytesIsUsed) {
  ByteList destination = SimpleRom(0x200000);
  for (std::uint32_t offset = RELOCATED_AREA; offset < 0x200000; ++offset) {
    fixture::PutByte(destination, offset, offset / 0x100 % 2 == 0 ? 0xFF : 0x00);
  }
  Workspace workspace;
  workspace.Put("a.sfc", SimpleRom());
  workspace.Put("b.sfc", destination);
  const fixture::RunResult run = workspace.Run({"a.sfc", "b.sfc"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const ByteList out = workspace.Get("_b.sfc");
  // The twelve bytes behind "Sprite Pointer Table" are passed over, not written.
  const std::string label = "Sprite Pointer Table";
  EXPECT_EQ(fixture::Slice(out, 0x1F8030, label.size()), ByteList(label.begin(), label.end()));
  EXPECT_EQ(fixture::Slice(out, 0x1F8044, 12), ByteList(12, 0xFF));
  EXPECT_EQ(fixture::Slice(out, RELOCATED_AREA, MARKER.size()),
            ByteList(MARKER.begin(), MARKER.end()));
}

TEST(OccupiedArea, RomWrittenByTheToolIsUsedAgainButNotWithoutItsMarker) {
  Workspace workspace;
  workspace.Put("a.sfc", SimpleRom());
  ASSERT_EQ(workspace.Run({"a.sfc"}).exitStatus, 0);
  const ByteList written = workspace.Get("_a.sfc");
  const ByteList source = fixture::BuildRom(fixture::RandomRooms(5));
  workspace.Put("r.sfc", source);
  workspace.Put("c.sfc", written);
  const fixture::RunResult run = workspace.Run({"r.sfc", "c.sfc"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(run.output.rfind("uiJumpTarget: 3FAAF0,", 0), 0u) << run.output;
  EXPECT_TRUE(workspace.Has("_c.sfc"));

  ByteList unmarked = written;
  fixture::PutByte(unmarked, RELOCATED_AREA, 'h');
  ExpectRefused({{"r.sfc", source}, {"c.sfc", unmarked}}, {"r.sfc", "c.sfc"}, std::nullopt, "c.sfc",
                {Hex(RELOCATED_AREA)});
}

}  // namespace
