// Inspecting one ROM: per-room sharing, sizes and counts, the forms of the
// header and sprite tables, the totals against their limits and the reach of
// a relocated area.
#include "app/inspect.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/job/transfer_job.h"
#include "app/room_lists.h"
#include "fixture/rom_fixture.h"
#include "fixture/test_image.h"
#include "fixture/text_lines.h"

namespace {

using fixture::HasLine;
using fixture::Lines;

std::vector<std::string> RoomRows(const std::string& text) {
  std::vector<std::string> rows;
  for (const std::string& line : Lines(text)) {
    if (line.rfind("0x", 0) == 0) rows.push_back(line);
  }
  return rows;
}

void ExpectLines(const std::string& text, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    EXPECT_TRUE(HasLine(text, line)) << line << "\nin:\n" << text;
  }
}

// SimpleRooms, with room 5 using room 2's sprite list, room 7 room 3's layer
// data and room 9 room 4's item list: the fixture stores each list once.
RoomSet RoomsWithSharedLists() {
  RoomSet rooms = fixture::SimpleRooms();
  rooms[5].spriteData = rooms[2].spriteData;
  rooms[7].layerData = rooms[3].layerData;
  rooms[9].itemData = rooms[4].itemData;
  return rooms;
}

TEST(InspectView, RoomRowsShowSharingSizesAndCounts) {
  RomImage rom = fixture::TestImage(fixture::BuildRom(RoomsWithSharedLists()), "a.sfc");
  const RoomList chosen = {17, 2, 3, 4, 5, 7, 9, 0};
  const std::string text = InspectRom(rom, &chosen, OutputLayout{});

  // Even rooms have 19 bytes of layer data (with a door list), odd rooms 15;
  // every sprite and item list is 5 bytes. Chests in rooms 5n+2, a block in
  // rooms 8n, two torches in rooms 16n+1, a pit in rooms 7n+3, message 0x100+n.
  // clang-format off
  const std::vector<std::string> expected = {
      "0x000   0  -           19 -            5 -            5 -            0      1       0  no   0100",
      "0x002   2  -           19 -            5 =0x005       5 -            1      0       0  no   0102",
      "0x003   3  -           15 =0x007       5 -            5 -            0      0       0  yes  0103",
      "0x004   4  -           19 -            5 -            5 =0x009       0      0       0  no   0104",
      "0x005   5  -           15 -            5 =0x002       5 -            0      0       0  no   0105",
      "0x007   7  -           15 =0x003       5 -            5 -            1      0       0  no   0107",
      "0x009   9  -           15 -            5 -            5 =0x004       0      0       0  no   0109",
      "0x011  17  -           15 -            5 -            5 -            1      0       2  yes  0111",
  };
  // clang-format on
  EXPECT_EQ(RoomRows(text), expected) << text;
  ExpectLines(text, {
                        "Room       Header   Layer shared  Sprite shared   Items shared  Chests "
                        "Blocks Torches  Pit  Message",
                    });
}

TEST(InspectView, SummaryOfAGameFormRomGivesFormsTotalsAndLimits) {
  RomImage rom = fixture::TestImage(fixture::BuildRom(fixture::SimpleRooms()), "a.sfc");
  const std::string text = InspectRom(rom, nullptr, OutputLayout{});

  EXPECT_EQ(RoomRows(text).size(), 320u);
  ExpectLines(
      text, {
                "Summary of a.sfc",
                "  Header table       320 entries at 0x020000, headers in bank 04",
                "  Sprite table       the game's own: table at 0x048000, lists in bank 09",
                "  Totals             64 chests, 40 pushable blocks, 40 torch words, 46 pit rooms",
                "  Relocated area     none: no marker text at 0x1F8000; no table points into it",
                "Limits (bytes)                       Used    Limit     Left   Use",
                "  Torch table                         160      384      224   41%",
                "  Pushable block table                160      512      352   31%",
                "  Item lists, padded                 5120    27648    22528   18%",
                // The sprite block starts at 0x1F8030 and must end by 0x200000:
                // padded lists of 26816 bytes are the most that fit.
                "  Sprite lists, padded               5120    26816    21696   19%",
            });
}

TEST(InspectView, ShortHeaderTableAndLoaderFormAreRecognised) {
  fixture::RomOptions options;
  options.headerTable296 = true;
  options.spriteLoaderForm = true;
  RomImage rom = fixture::TestImage(fixture::BuildRom(fixture::SimpleRooms(), options), "b.smc");
  const RoomList chosen = {295, 300};
  const std::string text = InspectRom(rom, &chosen, OutputLayout{});

  const std::vector<std::string> rows = RoomRows(text);
  ASSERT_EQ(rows.size(), 2u) << text;
  EXPECT_EQ(rows[0].substr(0, 17), "0x127 295  =0x128");
  EXPECT_EQ(rows[1].substr(0, 17), "0x12C 300  =0x127");
  ExpectLines(text, {
                        "  Header table       296 entries at 0x020000, headers in bank 04 (rooms "
                        "296 to 319 use room 295's header)",
                        "  Sprite table       written by this tool: loader at 0x04C3A0, table at "
                        "0x068000, lists in bank 0D",
                    });
}

TEST(InspectView, ToolWrittenOutputShowsItsRelocatedAreaAndNoSharing) {
  RomImage rom = fixture::TestImage(fixture::BuildRom(RoomsWithSharedLists()), "a.sfc");
  RoomList sourceRooms;
  RoomList destinationRooms;
  FillIdentityRoomLists(sourceRooms, destinationRooms);
  TransferResult result = RunTransferJob(rom, rom, sourceRooms, destinationRooms, "_a.sfc");
  const std::string text = InspectRom(result.out, nullptr, OutputLayout{});

  const std::vector<std::string> rows = RoomRows(text);
  ASSERT_EQ(rows.size(), 320u);
  for (const std::string& row : rows) {
    EXPECT_EQ(row.find("=0x"), std::string::npos) << row;
  }
  // The pit room list is the last block the tables point at: 46 rooms behind
  // the label at 0x202F80.
  ExpectLines(text, {
                        "  Header table       320 entries at 0x020000, headers in bank 3F",
                        "  Sprite table       written by this tool: loader at 0x1FAAF0, table at "
                        "0x1F8050, lists in bank 3F",
                        "  Relocated area     marker text at 0x1F8000; the tables point into it "
                        "up to 0x202FEB, the last byte of the pit room list",
                    });
}

TEST(InspectView, RomTheReadersRefuseStopsTheRun) {
  fixture::ByteList bytes = fixture::BuildRom(fixture::SimpleRooms());
  fixture::PutByte(bytes, 0x874B, 0x00);
  RomImage rom = fixture::TestImage(bytes, "bad.sfc");
  const fixture::Outcome outcome =
      fixture::CaptureRun([&](std::FILE*) { InspectRom(rom, nullptr, OutputLayout{}); });
  EXPECT_EQ(outcome.failure,
            "bad.sfc: unsupported ROM: the layer table code at offset 0x874B holds 0x00 where "
            "the game has 0xBF.\n");
  EXPECT_EQ(outcome.printed, "");
}

}  // namespace
