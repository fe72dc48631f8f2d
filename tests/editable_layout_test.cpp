// The editable layout (--editable, --base): an output that dungeon editors can
// open and save again. The ROMs are kept as an editor leaves them (2 MiB, its
// data at 0x110000-0x14FFFF and 0x1E8000-0x1FFFFF), and every output is read
// back twice: through the game's pointers with the tool's own readers, and
// with the editors' fixed reading rules (fixture/editor_view.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "fixture/editor_view.h"
#include "rooms/transfer.h"

namespace {

using e2e::Workspace;
using fixture::ByteList;

constexpr std::size_t OUTPUT_SIZE = 0x300000;
constexpr std::size_t EDITABLE_BASE = 0x200000;
constexpr std::uint32_t SPRITE_REGION = fixture::SPRITE_TABLE + 2 * ROOM_COUNT;

fixture::RandomOptions EditorRoomOptions() {
  fixture::RandomOptions options;
  options.torchSpace = fixture::GAME_TORCH_SPACE;
  return options;
}

// Random rooms kept by an editor.
ByteList EditorRom(std::uint32_t seed) {
  return fixture::BuildEditorRom(fixture::RandomRooms(seed, EditorRoomOptions()));
}

// Every sprite list 5 bytes and every item list 5 bytes, all different from
// each other: a transfer between two such ROMs keeps the lists' total size.
RoomSet DistinctRooms(std::uint8_t tag) {
  RoomSet rooms = fixture::SimpleRooms();
  for (int room = 0; room < ROOM_COUNT; ++room) {
    rooms[room].spriteData.at(0) = tag;
    rooms[room].itemData.at(2) = tag;
  }
  return rooms;
}

RoomSet Transferred(const ByteList& source, const ByteList& destination, const RoomList& from,
                    const RoomList& onto) {
  RoomSet rooms = e2e::ReadRooms(destination, "b.sfc");
  TransferRooms(rooms, onto, e2e::ReadRooms(source, "a.sfc"), from);
  return rooms;
}

bool SameBytes(const ByteList& a, const ByteList& b, std::size_t from, std::size_t to) {
  return a.size() >= to && b.size() >= to &&
         std::equal(a.begin() + from, a.begin() + to, b.begin() + from);
}

// The output's rooms through the game's pointers are `expected`, and the
// editors see the same sprites, pot items, torches, messages and chests.
void ExpectRoomsInBothViews(const ByteList& out, const RoomSet& expected) {
  const RoomSet read = e2e::ReadRooms(out);
  const std::vector<fixture::EditorRoomView> editor = fixture::ReadAsEditor(out);
  for (int room = 0; room < ROOM_COUNT; ++room) {
    SCOPED_TRACE("room " + std::to_string(room));
    EXPECT_EQ(read[room], expected[room]);
    EXPECT_EQ(editor[room].sprites, read[room].spriteData);
    EXPECT_EQ(editor[room].items, read[room].itemData);
    EXPECT_EQ(editor[room].torches, read[room].torches);
    EXPECT_EQ(editor[room].message, read[room].message);
    EXPECT_EQ(editor[room].chests, read[room].chests);
  }
}

// What the editors and the game's lookups rely on stays as the destination has it.
void ExpectEditorPlacesKept(const ByteList& destination, const ByteList& out) {
  ASSERT_EQ(out.size(), OUTPUT_SIZE);
  EXPECT_TRUE(SameBytes(destination, out, 0x100000, 0x200000));
  EXPECT_TRUE(SameBytes(destination, out, fixture::SPRITE_CODE, fixture::SPRITE_CODE + 4));
  EXPECT_TRUE(SameBytes(destination, out, fixture::TORCH_WINDOW_FIELDS[0],
                        fixture::TORCH_WINDOW_FIELDS[2] + 3));
  EXPECT_TRUE(SameBytes(destination, out, fixture::ITEM_TABLE_FIELD, fixture::ITEM_BANK_FIELD + 1));
  EXPECT_TRUE(SameBytes(destination, out, fixture::DEATH_MASK_CODE, fixture::DEATH_MASK_CODE + 7));
  const std::string marker = MARKER_TEXT;
  EXPECT_EQ(std::string(out.begin() + EDITABLE_BASE, out.begin() + EDITABLE_BASE + marker.size()),
            marker);
}

TEST(EditableLayout, EditorRomIsRefusedByTheClassicLayoutAndTakenByTheEditableOne) {
  Workspace workspace;
  const ByteList destination = EditorRom(3);
  workspace.Put("a.sfc", EditorRom(4));
  workspace.Put("b.sfc", destination);

  const fixture::RunResult classic = workspace.Run({"a.sfc", "b.sfc"});
  EXPECT_EQ(classic.exitStatus, 1);
  EXPECT_NE(classic.output.find("where the relocated room data go (0x1F8000 to"),
            std::string::npos);
  EXPECT_FALSE(workspace.Has("_b.sfc"));

  const fixture::RunResult swap = workspace.Run({"--editable", "b.sfc", "b.sfc", "3-8-8-3"});
  ASSERT_EQ(swap.exitStatus, 0) << swap.output;
  const ByteList out = workspace.Get("_b.sfc");
  ExpectEditorPlacesKept(destination, out);
  ExpectRoomsInBothViews(out, Transferred(destination, destination, {3, 8}, {8, 3}));
  EXPECT_EQ(workspace.Get("b.sfc"), destination);

  // The output taken again as destination, with the same layout, is reproduced.
  workspace.Put("c.sfc", out);
  ASSERT_EQ(workspace.Run({"--editable", "c.sfc"}).exitStatus, 0);
  EXPECT_EQ(workspace.Get("_c.sfc"), out);
}

TEST(EditableLayout, TwoRomTransferKeepsBothViewsInStep) {
  Workspace workspace;
  const ByteList source = fixture::BuildRom(DistinctRooms(0x61));
  const ByteList destination = fixture::BuildEditorRom(DistinctRooms(0x62));
  workspace.Put("a.sfc", source);
  workspace.Put("b.sfc", destination);
  const fixture::RunResult run =
      workspace.Run({"--editable", "a.sfc", "b.sfc", "1-40-2-41-3-300-17-17"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  // Sprites and items: the table plus 320 five-byte lists; torches in place.
  EXPECT_NE(run.output.find("WriteRoomSprites(): uiDataSize = 8C0\n"), std::string::npos);
  EXPECT_NE(run.output.find("WriteRoomItems(): uiDataSize = 8C0\n"), std::string::npos);
  EXPECT_EQ(run.output.find("uiJumpTarget"), std::string::npos);
  const ByteList out = workspace.Get("_b.sfc");
  ExpectEditorPlacesKept(destination, out);
  ExpectRoomsInBothViews(out, Transferred(source, destination, {1, 2, 3, 17}, {40, 41, 300, 17}));
}

// The sprite lists after a swap of rooms 0 and 1, byte for byte: the
// region is packed in room order, a list equal to an earlier one is shared.
TEST(EditableLayout, ListsArePackedInRoomOrderAndEqualListsShared) {
  RoomSet rooms = DistinctRooms(0x10);
  rooms[5].spriteData = rooms[4].spriteData;  // shared in the destination too
  rooms[6].itemData = rooms[2].itemData;
  Workspace workspace;
  const ByteList destination = fixture::BuildEditorRom(rooms);
  workspace.Put("b.sfc", destination);
  ASSERT_EQ(workspace.Run({"--editable", "b.sfc", "b.sfc", "0-1-1-0-4-7"}).exitStatus, 0);
  const ByteList out = workspace.Get("_b.sfc");

  // Room 0 now has room 1's list, room 1 room 0's; room 7 shares room 4's.
  const ByteList expectedStart = {0x10, 1, 0, 0x04, 0xFF, 0x10, 0, 0, 0x04, 0xFF};
  EXPECT_EQ(fixture::Slice(out, SPRITE_REGION, expectedStart.size()), expectedStart);
  const auto entry = [&](int room) {
    return fixture::Word(out, fixture::SPRITE_TABLE + 2 * static_cast<std::uint32_t>(room));
  };
  EXPECT_EQ(entry(0), fixture::PcToSnes(SPRITE_REGION) & 0xFFFF);
  EXPECT_EQ(entry(1), entry(0) + 5);
  EXPECT_EQ(entry(5), entry(4));
  EXPECT_EQ(entry(7), entry(4));
  EXPECT_EQ(entry(8), entry(6) + 5);  // room 7 took no bytes of its own
  // The region's bytes after the last list keep their values.
  const std::uint32_t end = SPRITE_REGION + 5 * (ROOM_COUNT - 2);
  EXPECT_TRUE(SameBytes(destination, out, end, end + 10));

  const RoomSet expected = Transferred(destination, destination, {0, 1, 4}, {1, 0, 7});
  ExpectRoomsInBothViews(out, expected);
}

// The span the editors read as chests (three times the count from the
// table's start) holds the entries and then FF FF FF entries only, and the
// chest block keeps it and the editors' 168 chests (504 bytes) free of the
// next block.
void ExpectChestSpanForEditors(const ByteList& out) {
  const std::uint32_t table = fixture::SnesToPc(fixture::Long(out, fixture::CHEST_TABLE_FIELDS[0]));
  const std::uint32_t length = fixture::Word(out, fixture::CHEST_COUNT_FIELD);
  EXPECT_EQ(fixture::Slice(out, table + length, 2 * length), ByteList(2 * length, 0xFF));
  const std::uint32_t pitBlock =
      fixture::SnesToPc(fixture::Long(out, fixture::PIT_LIST_FIELD)) - 16;
  EXPECT_GE(pitBlock, table + std::max(3 * length, 504u));
}

TEST(EditableLayout, ChestAndBlockTablesGetRoomForTheEditorsLimits) {
  Workspace workspace;
  workspace.Put("b.sfc", EditorRom(9));
  const fixture::RunResult run = workspace.Run({"--editable", "--map", "b.sfc"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const ByteList out = workspace.Get("_b.sfc");
  const std::uint32_t chests =
      fixture::SnesToPc(fixture::Long(out, fixture::CHEST_TABLE_FIELDS[0]));
  const std::uint32_t blocks =
      fixture::SnesToPc(fixture::Long(out, fixture::BLOCK_WINDOW_FIELDS[0]));
  EXPECT_GE(chests, blocks + 512 + 16);
  EXPECT_GT(3 * fixture::Word(out, fixture::CHEST_COUNT_FIELD), 504);  // the span decides
  ExpectChestSpanForEditors(out);
  EXPECT_GT(blocks, EDITABLE_BASE);
  EXPECT_NE(run.output.find("Editable layout, relocated area from 0x200000\n"), std::string::npos);
  EXPECT_NE(run.output.find("Rewritten in place"), std::string::npos);
  EXPECT_NE(run.output.find("Torch table"), std::string::npos);
}

// An output as the editable layout was before the chest block kept the
// editors' span: the block ended 504 bytes after its label (or behind a
// longer table), the pit list and message note right behind it, and nothing
// written after the entries.
ByteList AsEarlierLayout(ByteList out) {
  constexpr std::uint32_t TAIL = 0x400;  // the pit block and message note, then zeros
  const std::uint32_t table = fixture::SnesToPc(fixture::Long(out, fixture::CHEST_TABLE_FIELDS[0]));
  const std::uint32_t length = fixture::Word(out, fixture::CHEST_COUNT_FIELD);
  const std::uint32_t pitBlock =
      fixture::SnesToPc(fixture::Long(out, fixture::PIT_LIST_FIELD)) - 16;
  const std::uint32_t earlierPitBlock = (table + std::max(length, 504u) + 15) / 16 * 16;
  const ByteList tail = fixture::Slice(out, pitBlock, TAIL);
  std::fill(out.begin() + table + length, out.begin() + pitBlock + TAIL, 0x00);
  fixture::PutBytes(out, earlierPitBlock, tail);
  fixture::PutLong(out, fixture::PIT_LIST_FIELD, fixture::PcToSnes(earlierPitBlock + 16));
  return out;
}

TEST(EditableLayout, AnOutputOfTheEarlierChestBlockIsTakenAgainAndLaidOutAnew) {
  Workspace workspace;
  workspace.Put("b.sfc", EditorRom(5));
  ASSERT_EQ(workspace.Run({"--editable", "b.sfc"}).exitStatus, 0);
  const ByteList earlier = AsEarlierLayout(workspace.Get("_b.sfc"));
  const RoomSet rooms = e2e::ReadRooms(earlier);
  ASSERT_EQ(rooms, e2e::ReadRooms(workspace.Get("_b.sfc")));
  // Its pit list lies in what is now the editors' span.
  ASSERT_GT(3 * fixture::Word(earlier, fixture::CHEST_COUNT_FIELD), 504 + 16);

  workspace.Put("c.sfc", earlier);
  const fixture::RunResult run = workspace.Run({"--editable", "c.sfc"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const ByteList out = workspace.Get("_c.sfc");
  ExpectChestSpanForEditors(out);
  ExpectRoomsInBothViews(out, rooms);
  workspace.Put("d.sfc", out);
  ASSERT_EQ(workspace.Run({"--editable", "d.sfc"}).exitStatus, 0);
  EXPECT_EQ(workspace.Get("_d.sfc"), out);
}

// More blocks than the editors save: one line after the writers' lines and
// before the map, the run goes on. The classic layout says nothing of it.
TEST(EditableLayout, MoreBlocksThanTheEditorsSaveAreReportedAfterTheWritersLines) {
  struct Case {
    std::size_t blocks;             // in source room 300, moved onto room 300
    std::size_t destinationBlocks;  // in destination room 5
    bool editable;
    std::string line;  // empty: none
  };
  const std::string line100 = "Pushable blocks: 100, more than the 99 that dungeon editors save\n";
  const std::vector<Case> cases = {
      {99, 0, true, ""},
      {100, 0, true, line100},
      {40, 60, true, line100},
      {128, 0, true, "Pushable blocks: 128, more than the 99 that dungeon editors save\n"},
      {100, 60, true, ""},  // room 300 is left out whole: 60 blocks are written
      {100, 0, false, ""},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(std::to_string(test.blocks) + "+" + std::to_string(test.destinationBlocks) +
                 (test.editable ? " editable" : " classic"));
    RoomSet source = DistinctRooms(0x61);
    RoomSet destination = DistinctRooms(0x62);
    for (RoomSet* rooms : {&source, &destination}) {
      for (RoomData& room : rooms->rooms) room.pushableBlocks.clear();
    }
    source[300].pushableBlocks.assign(test.blocks, 0x1234);
    destination[5].pushableBlocks.assign(test.destinationBlocks, 0x5678);
    Workspace workspace;
    workspace.Put("a.sfc", fixture::BuildRom(source));
    workspace.Put("b.sfc", test.editable ? fixture::BuildEditorRom(destination)
                                         : fixture::BuildRom(destination));
    std::vector<std::string> arguments = {"--map", "a.sfc", "b.sfc", "300-300"};
    if (test.editable) arguments.insert(arguments.begin(), "--editable");
    const fixture::RunResult run = workspace.Run(arguments);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    const std::size_t writersEnd =
        run.output.find('\n', run.output.find("WriteRoomMessages(): uiDataSize = ")) + 1;
    EXPECT_EQ(run.output.substr(writersEnd, test.line.size() + 6), test.line + "Map of")
        << run.output;
  }
}

// --map sets the block table against the game's 512 bytes and against the
// 396 bytes of the 99 blocks the editors save.
TEST(EditableLayout, MapSetsTheBlockTableAgainstBothLimits) {
  RoomSet destination = DistinctRooms(0x62);
  for (RoomData& room : destination.rooms) room.pushableBlocks.clear();
  destination[7].pushableBlocks.assign(100, 0x4321);
  Workspace workspace;
  workspace.Put("b.sfc", fixture::BuildEditorRom(destination));
  const fixture::RunResult run = workspace.Run({"--editable", "--map", "b.sfc"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_NE(run.output.find("  Pushable block table                400      512      112   78%\n"
                            "  Pushable blocks editors save        400      396       -4  101%\n"),
            std::string::npos)
      << run.output;
}

// Torches that do not fit the game's 0x120 bytes are reported, as in the
// classic layout, and the run goes on; --verify expects them left out.
TEST(EditableLayout, TorchesBeyondTheGamesSpaceAreReportedAndTheRunGoesOn) {
  RoomSet source = DistinctRooms(0x61);
  for (RoomData& room : source.rooms) room.torches.clear();
  source[300].torches.assign(140, 0x1234);
  Workspace workspace;
  workspace.Put("a.sfc", fixture::BuildRom(source));
  workspace.Put("b.sfc", fixture::BuildEditorRom(DistinctRooms(0x62)));
  const fixture::RunResult run =
      workspace.Run({"--editable", "--verify", "a.sfc", "b.sfc", "300-300"});
  EXPECT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_NE(run.output.find("Not enough memory for torches for room 300\n"
                            "WriteRoomTorches(): uiDataSize = A0\n"),
            std::string::npos)
      << run.output;
  EXPECT_TRUE(e2e::ReadRooms(workspace.Get("_b.sfc"))[300].torches.empty());
}

// --- Refusals ----------------------------------------------------------

struct Refusal {
  const char* what;
  ByteList destination;
  std::vector<std::string> arguments;
  std::string lineStart;
};

ByteList WithLoaderLookup() {
  fixture::RomOptions options;
  options.size = fixture::EDITOR_ROM_SIZE;
  options.spriteLoaderForm = true;
  return fixture::BuildRom(fixture::RandomRooms(2), options);
}

ByteList Patched(ByteList rom, std::uint32_t offset, std::uint8_t value) {
  fixture::PutByte(rom, offset, value);
  return rom;
}

ByteList PatchedWord(ByteList rom, std::uint32_t offset, std::uint16_t value) {
  fixture::PutWord(rom, offset, value);
  return rom;
}

// Sprite lists longer than the region the destination's own lists span.
ByteList BiggerSpriteListsSource() {
  RoomSet rooms = DistinctRooms(0x20);
  rooms[9].spriteData.insert(rooms[9].spriteData.begin(), 3, 0x33);
  return fixture::BuildRom(rooms);
}

ByteList BiggerItemListsSource() {
  RoomSet rooms = DistinctRooms(0x20);
  rooms[9].itemData.insert(rooms[9].itemData.begin(), 3, 0x33);
  return fixture::BuildRom(rooms);
}

TEST(EditableLayout, DestinationsItCannotKeepEditableAreRefusedWithOneLine) {
  const ByteList editor = fixture::BuildEditorRom(DistinctRooms(0x30));
  const std::vector<Refusal> refusals = {
      {"loader",
       WithLoaderLookup(),
       {"--editable", "b.sfc"},
       "b.sfc: the sprite lookup at offset 0x4C296 calls this tool's sprite pointer loader"},
      {"item bank",
       Patched(editor, fixture::ITEM_BANK_FIELD, 0x0B),
       {"--editable", "b.sfc"},
       "b.sfc: the item lists' bank byte at offset 0xE6C8 holds 0x0B"},
      {"torch window",
       Patched(editor, fixture::TORCH_WINDOW_FIELDS[1], 0xEB),
       {"--editable", "b.sfc"},
       "b.sfc: the torch table window at offset 0x15B1D holds $04:F3EB"},
      {"sprites",
       editor,
       {"--editable", "a.sfc", "b.sfc", "9-9"},
       "b.sfc: the sprite lists need 0x643 bytes but the region this ROM's own sprite lists "
       "span, 0x48280-0x488BF, holds 0x640"},
      {"items",
       editor,
       {"--editable", "i.sfc", "b.sfc", "9-9"},
       "b.sfc: the item lists need 0x643 bytes"},
      // Room 0's item list at $0C:0000, read in the bank before, with FF FF there.
      {"item entry below 0x8000",
       Patched(Patched(PatchedWord(editor, fixture::ITEM_TABLE, 0x0000), 0x50000, 0xFF), 0x50001,
               0xFF),
       {"--editable", "b.sfc"},
       "b.sfc: the item list of room 0 is pointed at 0x0000 in bank 0x0C, below 0x8000"},
      // Room 7's list behind the game's sprite code: the region spans the code.
      {"region over code",
       Patched(PatchedWord(editor, fixture::SPRITE_TABLE + 2 * 7, 0xC3A0), 0x4C3A4, 0xFF),
       {"--editable", "b.sfc"},
       "b.sfc: the sprite list region at offset 0x48280 overlaps"},
  };
  for (const Refusal& refusal : refusals) {
    SCOPED_TRACE(refusal.what);
    Workspace workspace;
    workspace.Put("a.sfc", BiggerSpriteListsSource());
    workspace.Put("i.sfc", BiggerItemListsSource());
    workspace.Put("b.sfc", refusal.destination);
    const auto before = workspace.Entries();
    const fixture::RunResult run = workspace.Run(refusal.arguments);
    EXPECT_EQ(run.exitStatus, 1);
    const std::size_t line = run.output.find(refusal.lineStart);
    ASSERT_NE(line, std::string::npos) << run.output;
    EXPECT_EQ(run.output.find('\n', line), run.output.size() - 1) << run.output;
    EXPECT_EQ(workspace.Entries(), before);
    EXPECT_EQ(workspace.Get("b.sfc"), refusal.destination);
  }
}

TEST(EditableLayout, BadBaseOptionsAreUsageErrors) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--base", "0x1F8001", "b.sfc"}, "--base 0x1F8001: 0x1F8001 is not the start of a bank"},
      {{"--base", "zz", "b.sfc"}, "--base zz: not an offset"},
      {{"--base", "0x200000", "b.sfc"}, "--base 0x200000: without --editable"},
      {{"--base", "$F8000", "--editable", "b.sfc"}, "--base $F8000: 0xF8000 lies outside"},
      {{"--editable", "--inspect", "b.sfc"}, "Options --inspect and --editable cannot be used"},
  };
  for (const auto& [arguments, start] : cases) {
    Workspace workspace;
    const fixture::RunResult run = workspace.Run(arguments);
    EXPECT_EQ(run.exitStatus, 2) << run.output;
    EXPECT_EQ(run.output.rfind(start, 0), 0u) << run.output;
    EXPECT_TRUE(workspace.Entries().empty());
  }
}

TEST(EditableLayout, BaseMovesTheClassicAreaAndInspectFindsIt) {
  Workspace workspace;
  const ByteList rom = fixture::BuildRom(fixture::SimpleRooms());
  workspace.Put("a.sfc", rom);
  ASSERT_EQ(workspace.Run({"--base", "1572864", "a.sfc"}).exitStatus, 0);  // 0x180000
  const ByteList out = workspace.Get("_a.sfc");
  const std::string marker = MARKER_TEXT;
  EXPECT_EQ(std::string(out.begin() + 0x180000, out.begin() + 0x180000 + marker.size()), marker);
  EXPECT_EQ(e2e::ReadRooms(out), e2e::ReadRooms(rom));
  const fixture::RunResult inspect = workspace.Run({"--inspect", "_a.sfc", "--base", "0x180000"});
  EXPECT_NE(inspect.output.find("marker text at 0x180000"), std::string::npos) << inspect.output;
  // Run again at the same base, the output is its own destination.
  workspace.Put("c.sfc", out);
  ASSERT_EQ(workspace.Run({"--base", "0x180000", "c.sfc"}).exitStatus, 0);
  EXPECT_EQ(workspace.Get("_c.sfc"), out);
}

}  // namespace
