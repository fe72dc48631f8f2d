// The map of the relocated area: block rows at their offsets, the per-bank
// use that adds up, the total and the limits.
#include "app/map.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "app/job/transfer_job.h"
#include "app/room_lists.h"
#include "fixture/rom_fixture.h"
#include "fixture/test_image.h"
#include "fixture/text_lines.h"

namespace {

TransferResult SimpleTransfer() {
  RomImage rom = fixture::TestImage(fixture::BuildRom(fixture::SimpleRooms()), "a.sfc");
  RoomList sourceRooms;
  RoomList destinationRooms;
  FillIdentityRoomLists(sourceRooms, destinationRooms);
  return RunTransferJob(rom, rom, sourceRooms, destinationRooms, "_a.sfc");
}

using fixture::HasLine;
using fixture::Lines;
using fixture::LineStartingWith;

TEST(MapView, BlockRowsOfSimpleRoomsStandAtTheirOffsets) {
  const TransferResult result = SimpleTransfer();
  const std::string map = FormatMap(result.out, result.layout);

  // Every sprite list of these rooms is 5 bytes: the sprite block is 0x2B10
  // bytes from 0x1F8030, its table at 0x1F8050, the loader at 0x1FAAF0, the
  // death masks' label at 0x1FAB10, and the header block follows at 0x1FAB40.
  const char* const expected[] = {
      "Map of the relocated area of _a.sfc",
      "Block                    File offsets   SNES addresses   Size  Bank",
      "Marker                   1F8000-1F8027  3F8000-3F8027      28  3F",
      "Sprite pointer table     1F8030-1F82CF  3F8030-3F82CF     2A0  3F",
      "Sprite lists             1F82D0-1FAACF  3F82D0-3FAACF    2800  3F",
      "Sprite pointer loader    1FAAD0-1FAB00  3FAAD0-3FAB00      31  3F",
      "Slot death masks         1FAB10-1FAB3F  3FAB10-3FAB3F      30  3F",
      "Room headers             1FAB40-1FD33F  3FAB40-3FD33F    2800  3F",
      // 320 item lists of 5 bytes: 320 x 32 bytes; 40 blocks, 20 rooms of
      // two torches, 64 chests, 46 pit rooms, each table behind a 16-byte label.
      "Room items               200550-202D4F  408550-40AD4F    2800  40",
      "Pushable blocks          202D50-202DFF  40AD50-40ADFF      B0  40",
      "Torches                  202E00-202EAF  40AE00-40AEAF      B0  40",
      "Chests                   202EB0-202F7F  40AEB0-40AF7F      D0  40",
      "Pit rooms                202F80-202FEB  40AF80-40AFEB      6C  40",
      "Message table note       202FF0-20300F  40AFF0-40B00F      20  40",
      "Total: 1F8000-20300F, B010 bytes (45072) from 0x1F8000 to the end of the last block, A725 "
      "of them in blocks",
  };
  for (const char* line : expected) {
    EXPECT_TRUE(HasLine(map, line)) << line << "\nin:\n" << map;
  }
}

TEST(MapView, LayerBlocksFoldIntoOneRowFromRoomZeroToTheLastRoomsData) {
  const TransferResult result = SimpleTransfer();
  const fixture::ByteList& out = result.out.bytes;
  // Room 0's label stands 16 bytes before its data; room 319's data are 15 bytes.
  const std::uint32_t first = fixture::SnesToPc(fixture::Long(out, fixture::LAYER_TABLE)) - 16;
  const std::uint32_t last =
      fixture::SnesToPc(fixture::Long(out, fixture::LAYER_TABLE + 3 * 319)) + 15 - 1;
  ASSERT_EQ(first, 0x1FD340u);
  char row[128];
  std::snprintf(row, sizeof row,
                "Layer rooms 0-319        %06X-%06X  %06X-%06X  %6X  3F-40, 2 banks", first, last,
                fixture::PcToSnes(first), fixture::PcToSnes(last), last + 1 - first);
  EXPECT_TRUE(HasLine(FormatMap(result.out, result.layout), row)) << row;
}

TEST(MapView, BankRowsAddUpToTheBankAndToTheBytesInBlocks) {
  const TransferResult result = SimpleTransfer();
  const std::string map = FormatMap(result.out, result.layout);
  const std::string bank3F = LineStartingWith(map, "3F    1F8000-1FFFFF");
  const std::string bank40 = LineStartingWith(map, "40    200000-207FFF");
  ASSERT_FALSE(bank3F.empty()) << map;
  ASSERT_FALSE(bank40.empty()) << map;
  EXPECT_EQ(LineStartingWith(map, "41 "), "");

  long inBlocks = 0;
  for (const std::string& row : {bank3F, bank40}) {
    std::istringstream fields(row.substr(20));
    std::string used, gaps, free;
    fields >> used >> gaps >> free;
    const long usedBytes = std::strtol(used.c_str(), nullptr, 16);
    EXPECT_EQ(
        usedBytes + std::strtol(gaps.c_str(), nullptr, 16) + std::strtol(free.c_str(), nullptr, 16),
        0x8000)
        << row;
    inBlocks += usedBytes;
  }
  EXPECT_EQ(inBlocks, 0xA725);
  // Bank 0x40 is used up to the end of the message note at 0x203010.
  EXPECT_EQ(bank40.substr(bank40.size() - 4), "4FF0");
}

TEST(MapView, LimitsShowTheSpriteItemTorchAndPushableBlocksAgainstTheirLimits) {
  const std::string map = FormatMap(SimpleTransfer().out, OutputLayout{});
  const char* const expected[] = {
      "Limits (bytes)                       Used    Limit     Left   Use",
      "  Sprite block in one bank          11024    32768    21744   33%",
      "  Sprite block below 0x200000       11024    32720    21696   33%",
      "  Item block in one bank            10240    32768    22528   31%",
      "  Torch table                         160      384      224   41%",
      "  Pushable block table                160      512      352   31%",
      "  Relocated area below 0x3F0000     45072  2064384  2019312    2%",
  };
  for (const char* line : expected) {
    EXPECT_TRUE(HasLine(map, line)) << line << "\nin:\n" << map;
  }
}

}  // namespace
