// Recognising the game end to end: every opcode in front of a field the tool
// reads or patches, the sprite lookup in both its forms, and the death-mask
// operand of a ROM the tool wrote before.
#include "tables/game_code.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "fixture/test_image.h"
#include "fixture/text_lines.h"
#include "tables/room_sprites.h"

namespace {

using e2e::Workspace;
using fixture::ByteList;

// Large enough for SimpleRooms' layer data behind the fixture's tables.
constexpr std::size_t SMALL_ROM_SIZE = 0x90000;
constexpr std::uint32_t EXAMPLE_LOADER = 0x1FAAF0;  // where SimpleRooms' output has its loader

using fixture::Hex;

ByteList SmallRom(const RoomSet& rooms = fixture::SimpleRooms()) {
  fixture::RomOptions options;
  options.size = SMALL_ROM_SIZE;
  return fixture::BuildRom(rooms, options);
}

struct CheckedByte {
  std::uint32_t offset;
  std::string field;
};

// The game's code bytes in the order they are checked, the sprite lookup last.
std::vector<CheckedByte> CheckedBytes() {
  std::vector<CheckedByte> bytes;
  for (const OpcodeCheck& check : GAME_CODE_CHECKS) bytes.push_back({check.offset, check.field});
  bytes.push_back({fixture::SPRITE_CODE, "sprite table"});
  bytes.push_back({fixture::SPRITE_CODE + 1, "sprite table"});
  return bytes;
}

bool HoldsTheGamesCode(const ByteList& rom) {
  return HoldsGameCode(fixture::TestImage(rom, "rom.sfc"));
}

// Runs with `bad` in place of one of two good ROMs and expects the refusal
// naming `bad.sfc` and every text of `named`; the check without a word
// (whether a headerless copy is made) refuses it too.
void ExpectRefusal(const Workspace& workspace, const ByteList& bad, bool asSource,
                   const std::vector<std::string>& named) {
  EXPECT_FALSE(HoldsTheGamesCode(bad));
  workspace.Put("bad.sfc", bad);
  const fixture::RunResult run =
      workspace.Run(asSource ? std::vector<std::string>{"bad.sfc", "b.sfc"}
                             : std::vector<std::string>{"a.sfc", "bad.sfc"});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.output.rfind("bad.sfc: ", 0), 0u) << run.output;
  for (const std::string& text : named) {
    EXPECT_NE(run.output.find(text), std::string::npos) << text << " in " << run.output;
  }
  EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
  EXPECT_EQ(run.output.back(), '\n');
  EXPECT_EQ(workspace.Entries(), (std::set<std::string>{"a.sfc", "b.sfc", "bad.sfc"}));
  EXPECT_EQ(workspace.Get("bad.sfc"), bad);
}

TEST(GameCode, EachClearedCodeByteRefusesTheRomThatHoldsIt) {
  Workspace workspace;
  const ByteList good = SmallRom();
  workspace.Put("a.sfc", good);
  workspace.Put("b.sfc", good);
  for (const CheckedByte& code : CheckedBytes()) {
    ASSERT_NE(fixture::Byte(good, code.offset), 0x00) << code.field;
    for (const bool asSource : {true, false}) {
      SCOPED_TRACE(code.field + " at " + Hex(code.offset) +
                   (asSource ? " in the source" : " in the destination"));
      ByteList bad = good;
      fixture::PutByte(bad, code.offset, 0x00);
      ExpectRefusal(workspace, bad, asSource, {code.field + " code", Hex(code.offset)});
    }
  }
  EXPECT_EQ(workspace.Get("a.sfc"), good);
  EXPECT_EQ(workspace.Get("b.sfc"), good);
}

TEST(GameCode, FirstFailingByteInTableOrderIsTheOneNamed) {
  ByteList rom = SmallRom();
  // The layer table's opcode lies lower in the file but is checked after the header bank.
  fixture::PutByte(rom, 0x874B, 0x00);
  fixture::PutByte(rom, 0xB5E6, 0x00);
  fixture::PutByte(rom, fixture::SPRITE_CODE, 0x00);
  try {
    e2e::ReadRooms(rom, "x.sfc");
    ADD_FAILURE() << "not refused";
  } catch (const std::runtime_error& failure) {
    EXPECT_EQ(std::string(failure.what()),
              "x.sfc: unsupported ROM: the header bank code at offset 0xB5E6 holds 0x00 where the "
              "game has 0xA9.\n");
  }
}

TEST(GameCode, LoaderOfAToolWrittenRomMustKeepItsCode) {
  Workspace workspace;
  workspace.Put("a.sfc", SmallRom());
  ASSERT_EQ(workspace.Run({"a.sfc"}).exitStatus, 0);
  const ByteList written = workspace.Get("_a.sfc");
  ASSERT_EQ(fixture::Slice(written, fixture::SPRITE_CODE, 4), (ByteList{0x22, 0xF0, 0xAA, 0x3F}));
  workspace.Put("b.sfc", workspace.Get("a.sfc"));
  std::filesystem::remove(workspace.Path("_a.sfc"));
  for (std::size_t index = 0; index < SPRITE_LOADER_SIZE; ++index) {
    if (index == 3 || index == 14 || index == 15) continue;  // bank and table address
    for (const bool asSource : {true, false}) {
      SCOPED_TRACE("loader byte " + std::to_string(index) +
                   (asSource ? " in the source" : " in the destination"));
      ByteList bad = written;
      const std::uint32_t offset = EXAMPLE_LOADER + static_cast<std::uint32_t>(index);
      fixture::PutByte(bad, offset, static_cast<std::uint8_t>(fixture::Byte(bad, offset) + 1));
      ExpectRefusal(workspace, bad, asSource, {"sprite table loader", Hex(offset)});
    }
  }
}

const std::string LOADER_LINE =
    "uiJumpTarget: 3FAAF0, uiBank: 3F, uiBank<<16: 3F0000, uiPointerTablePointer: 3F8050\n";

TEST(GameCode, ToolWrittenRomsAreAcceptedAsSourceAndDestination) {
  Workspace workspace;
  workspace.Put("a.sfc", SmallRom());
  ASSERT_EQ(workspace.Run({"a.sfc"}).exitStatus, 0);
  workspace.Put("c.sfc", workspace.Get("_a.sfc"));
  workspace.Put("d.sfc", workspace.Get("_a.sfc"));
  const fixture::RunResult run = workspace.Run({"c.sfc", "d.sfc", "5-6"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_TRUE(HoldsTheGamesCode(SmallRom()));
  EXPECT_TRUE(HoldsTheGamesCode(workspace.Get("c.sfc")));
  EXPECT_EQ(run.output.substr(0, 2 * LOADER_LINE.size()), LOADER_LINE + LOADER_LINE);
  EXPECT_TRUE(workspace.Has("_d.sfc"));
}

ByteList MaskWords() {
  ByteList bytes;
  for (int bit = 0; bit < 16; ++bit) {
    const unsigned mask = 1u << bit;
    bytes.push_back(static_cast<std::uint8_t>(mask & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(mask >> 8));
  }
  return bytes;
}

TEST(DeathMasks, RewrittenDestinationGetsItsOperandPointedAtTheNewMasks) {
  Workspace workspace;
  workspace.Put("a.sfc", SmallRom());
  ASSERT_EQ(workspace.Run({"a.sfc"}).exitStatus, 0);
  const ByteList first = workspace.Get("_a.sfc");
  EXPECT_EQ(fixture::Slice(first, 0x4C372, 7),
            (ByteList{0xBF, 0x80, 0xDF, 0x7F, 0x39, 0x20, 0xAB}));

  // Longer sprite lists move the loader and the masks.
  workspace.Put("c.sfc", first);
  workspace.Put("r.sfc", fixture::BuildRom(fixture::RandomRooms(9)));
  ASSERT_EQ(workspace.Run({"r.sfc", "c.sfc"}).exitStatus, 0);
  const ByteList out = workspace.Get("_c.sfc");
  const std::uint32_t loader = fixture::SnesToPc(fixture::Long(out, fixture::SPRITE_CODE + 1));
  ASSERT_NE(loader, EXAMPLE_LOADER);
  const std::string label = "Slot Death Masks";
  EXPECT_EQ(fixture::Slice(out, loader + 32, 16), ByteList(label.begin(), label.end()));
  EXPECT_EQ(fixture::Slice(out, loader + 48, 32), MaskWords());
  EXPECT_EQ(fixture::Slice(out, 0x4C372, 5), (ByteList{0xBF, 0x80, 0xDF, 0x7F, 0x39}));
  EXPECT_EQ(fixture::Word(out, 0x4C377), fixture::PcToSnes(loader + 48) & 0xFFFF);
}

TEST(DeathMasks, OperandIsLeftAloneWithoutTheGamesDeathCheck) {
  fixture::RomOptions options;
  options.size = SMALL_ROM_SIZE;
  options.deathMaskCode = false;
  ByteList rom = fixture::BuildRom(fixture::SimpleRooms(), options);
  // The AND is there, but not the load in front of it.
  fixture::PutBytes(rom, 0x4C376, {0x39, 0xD5, 0xC2});
  Workspace workspace;
  workspace.Put("a.sfc", rom);
  ASSERT_EQ(workspace.Run({"a.sfc"}).exitStatus, 0);
  EXPECT_EQ(fixture::Slice(workspace.Get("_a.sfc"), 0x4C370, 16), fixture::Slice(rom, 0x4C370, 16));
}

}  // namespace
