// Room pictures drawn by the synthetic drawing ROM's code (see
// fixture/drawing_rom.h for its scene), read back pixel by pixel.
#include "picture/room_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "fixture/drawing_rom.h"
#include "fixture/test_image.h"

namespace {

using fixture::ByteList;
using fixture::DrawingColour;
using Rgb = std::array<int, 3>;

// Room 0x10 + e has effect e; its backdrop is the room number as BGR555.
constexpr int EFFECT_ROOM = 0x10;

std::uint16_t Colour(int red, int green, int blue) {
  return static_cast<std::uint16_t>(red | (green << 5) | (blue << 10));
}
int Red(std::uint16_t colour) { return colour & 31; }
int Green(std::uint16_t colour) { return (colour >> 5) & 31; }
int Blue(std::uint16_t colour) { return (colour >> 10) & 31; }

std::uint16_t Add(std::uint16_t a, std::uint16_t b) {
  return Colour(std::min(Red(a) + Red(b), 31), std::min(Green(a) + Green(b), 31),
                std::min(Blue(a) + Blue(b), 31));
}
std::uint16_t HalfAdd(std::uint16_t a, std::uint16_t b) {
  return Colour((Red(a) + Red(b)) / 2, (Green(a) + Green(b)) / 2, (Blue(a) + Blue(b)) / 2);
}
std::uint16_t Backdrop(int room) { return static_cast<std::uint16_t>(room); }

Rgb Eight(std::uint16_t colour) {
  const auto widen = [](int level) { return level * 8 + level / 4; };
  return {widen(Red(colour)), widen(Green(colour)), widen(Blue(colour))};
}

Rgb PixelAt(const Picture& picture, int x, int y) {
  const auto at = static_cast<std::size_t>(3 * (y * picture.width + x));
  return {picture.rgb.at(at), picture.rgb.at(at + 1), picture.rgb.at(at + 2)};
}

const ByteList& DrawingRom() {
  static const ByteList rom = fixture::BuildDrawingRom();
  return rom;
}

RomImage Image(ByteList bytes) { return fixture::TestImage(std::move(bytes), "hack.sfc"); }

Picture Draw(int room, DrawingCounts& counts, ByteList bytes = DrawingRom()) {
  RomImage image = Image(std::move(bytes));
  return DrawRoomPicture(image, room, counts);
}

std::string RefusalOf(ByteList bytes, int room) {
  RomImage image = Image(std::move(bytes));
  DrawingCounts counts;
  try {
    DrawRoomPicture(image, room, counts);
  } catch (const std::runtime_error& stop) {
    return stop.what();
  }
  return "";
}

void Patch(ByteList& rom, std::uint32_t address, const ByteList& bytes) {
  fixture::PutBytes(rom, fixture::SnesToPc(address), bytes);
}

struct PixelCase {
  int room;
  int x;
  int y;
  std::uint16_t colour;
  const char* what;
};

std::uint16_t C(int palette, int index) { return DrawingColour(palette, index); }

TEST(RoomPicture, PixelsAsThePpuComposesTheScene) {
  const int r = EFFECT_ROOM;
  const std::vector<PixelCase> cases = {
      {r + 0, 3, 3, C(2, 1), "BG2 alone"},
      {r + 4, 3, 3, C(2, 1), "BG2 under halved math, the sub screen transparent: not halved"},
      {r + 7, 3, 3, C(2, 1), "BG2 under added math, the sub screen transparent"},
      {r + 0, 11, 3, Backdrop(r + 0), "effect 0: BG1 on neither screen"},
      {r + 1, 11, 3, Add(Backdrop(r + 1), C(3, 1)), "BG1 on the sub screen, added to the backdrop"},
      {r + 2, 11, 3, Add(Backdrop(r + 2), C(3, 1)), "effect 2: both on the sub screen"},
      {r + 3, 11, 3, C(3, 1), "effect 3: BG1 on the main screen"},
      {r + 4, 11, 3, HalfAdd(Backdrop(r + 4), C(3, 1)), "effect 4: halved"},
      {r + 7, 11, 3, Add(Backdrop(r + 7), C(3, 1)), "effect 7: added"},
      {r + 1, 19, 3, C(2, 1), "no math on BG2 but for effects 4 and 7"},
      {r + 3, 19, 3, C(3, 1), "BG1 low before BG2 low"},
      {r + 4, 19, 3, HalfAdd(C(2, 1), C(3, 1)), "BG2 halved with BG1 behind it"},
      {r + 7, 19, 3, Add(C(2, 1), C(3, 1)), "BG2 added to BG1, blue clamped"},
      {r + 3, 27, 3, C(3, 1), "BG1 high before BG2 low"},
      {r + 3, 35, 3, C(2, 1), "BG2 high before BG1 low"},
      {r + 4, 35, 3, HalfAdd(C(2, 1), C(3, 1)), "the sub screen takes BG1 behind BG2 high"},
      {r + 3, 43, 3, C(3, 1), "BG1 high before BG2 high"},
      {r + 3, 49, 3, C(2, 1), "BG2 through BG1's transparent pixels"},
      {r + 3, 53, 3, C(3, 2), "BG1's opaque pixels"},
      {r + 7, 49, 3, C(2, 1), "the sub screen transparent where BG1 is"},
      {r + 7, 53, 3, Add(C(2, 1), C(3, 2)), "BG2 added to BG1's pixel"},
      {r + 0, 59, 3, C(3, 1), "the marker: the prepared words at $0B80 and $A2 are $FFFF"},
      {r + 0, 0, 8, Backdrop(r + 0), "colour index 0 is transparent"},
      {r + 0, 1, 8, C(4, 1), "not flipped"},
      {r + 0, 0, 9, C(4, 8), "not flipped, second row"},
      {r + 0, 8, 8, C(4, 7), "flipped horizontally"},
      {r + 0, 9, 9, C(4, 14), "flipped horizontally, second row"},
      {r + 0, 16, 8, C(4, 8), "flipped vertically"},
      {r + 0, 17, 8, C(4, 9), "flipped vertically, second column"},
      {r + 0, 24, 8, C(4, 15), "flipped both ways"},
      {r + 0, 24, 9, C(4, 7), "flipped both ways, second row"},
      {r + 0, 4, 20, C(7, 1), "the entry written by the block and torch copy"},
      {r + 0, 325, 27, C(5, 1), "tilemap rows are 64 entries"},
      {r + 0, 45, 325, C(6, 1), "the lower half"},
      {r + 0, 268, 27, Backdrop(r + 0), "an empty tile"},
      {r + 3, 509, 509, C(7, 1), "the last entry"},
      {r + 1, 509, 509, Add(Backdrop(r + 1), C(7, 1)), "the last entry on the sub screen"},
      {r + 3, 8 * (r + 3) + 4, 84, C(6, 1), "the entry placed by the room number"},
      {r + 3, 8 * (r + 2) + 4, 84, Backdrop(r + 3), "no other room's entry"},
  };
  std::vector<Picture> pictures;
  for (int effect = 0; effect < 8; ++effect) {
    DrawingCounts counts;
    pictures.push_back(Draw(r + effect, counts));
    ASSERT_EQ(pictures.back().width, ROOM_PICTURE_SIZE);
    ASSERT_EQ(pictures.back().height, ROOM_PICTURE_SIZE);
  }
  for (const PixelCase& c : cases) {
    EXPECT_EQ(PixelAt(pictures.at(static_cast<std::size_t>(c.room - r)), c.x, c.y), Eight(c.colour))
        << c.what << " (room 0x" << std::hex << c.room << std::dec << ", " << c.x << ", " << c.y
        << ")";
  }
  EXPECT_EQ(PixelAt(pictures.at(0), 3, 3), (Rgb{41, 90, 132})) << "BGR555 5, 11, 16 widened";

  // Effect 0 shows BG2 alone: 7 full tiles, 4 of character 1 (60 opaque
  // pixels each) and 3 more full tiles; the rest is the backdrop.
  int drawn = 0;
  for (int y = 0; y < ROOM_PICTURE_SIZE; ++y) {
    for (int x = 0; x < ROOM_PICTURE_SIZE; ++x) {
      drawn += PixelAt(pictures.at(0), x, y) != Eight(Backdrop(r)) ? 1 : 0;
    }
  }
  EXPECT_EQ(drawn, 7 * 64 + 4 * 60 + 3 * 64);
}

TEST(RoomPicture, ScreenLayersComeFromTheRomsTable) {
  ByteList rom = DrawingRom();
  Patch(rom, fixture::DRAWING_LAYER_TABLE + 5, {0xFF});  // effect 5: both layers on the main screen
  Patch(rom, fixture::DRAWING_LAYER_TABLE + 2, {0x00});  // effect 2 keeps both on the sub screen
  DrawingCounts counts;
  EXPECT_EQ(PixelAt(Draw(EFFECT_ROOM + 5, counts, rom), 19, 3), Eight(C(3, 1)));
  EXPECT_EQ(PixelAt(Draw(EFFECT_ROOM + 5, counts), 19, 3), Eight(C(2, 1)));
  EXPECT_EQ(PixelAt(Draw(EFFECT_ROOM + 2, counts, rom), 11, 3),
            Eight(Add(Backdrop(EFFECT_ROOM + 2), C(3, 1))));
}

TEST(RoomPicture, CountsWhatDrawingRan) {
  ByteList rom = fixture::BuildRom(fixture::SimpleRooms());
  const std::uint64_t perRoom = fixture::PlantDrawingCode(rom);
  DrawingCounts counts;
  Draw(0x12, counts, rom);
  EXPECT_EQ(counts.roomsDrawn, 1);
  EXPECT_EQ(counts.instructions, perRoom);
  EXPECT_EQ(counts.unmappedAccesses, fixture::DRAWING_UNMAPPED_ACCESSES);
  Draw(0x13, counts, rom);
  EXPECT_EQ(counts.roomsDrawn, 2);
  EXPECT_EQ(counts.instructions, 2 * perRoom);
  EXPECT_EQ(counts.unmappedAccesses, 2 * fixture::DRAWING_UNMAPPED_ACCESSES);
}

TEST(UnderworldPicture, RoomsShrunkIntoTheGameGrid) {
  const std::vector<int> rooms = {0x05, 0x21, 0x13F};
  RomImage image = Image(DrawingRom());
  DrawingCounts counts;
  const Picture map = DrawUnderworldPicture(image, rooms, counts);
  ASSERT_EQ(map.width, 16 * 128);
  ASSERT_EQ(map.height, 20 * 128);
  EXPECT_EQ(counts.roomsDrawn, 3);
  EXPECT_EQ(counts.unmappedAccesses, 3 * fixture::DRAWING_UNMAPPED_ACCESSES);
  DrawingCounts alone;
  for (const int room : rooms) {
    // Drawn alone, on a machine of its own: no earlier room's state (its
    // entry placed by the room number, say) may show in the map.
    const Picture full = Draw(room, alone);
    const int left = room % 16 * 128;
    const int top = room / 16 * 128;
    int mismatches = 0;
    for (int y = 0; y < 128; ++y) {
      for (int x = 0; x < 128; ++x) {
        Rgb sum{};
        for (int pixel = 0; pixel < 16; ++pixel) {
          const Rgb source = PixelAt(full, 4 * x + pixel % 4, 4 * y + pixel / 4);
          for (int channel = 0; channel < 3; ++channel) sum.at(channel) += source.at(channel);
        }
        for (int& channel : sum) channel = (channel + 8) / 16;
        mismatches += PixelAt(map, left + x, top + y) != sum ? 1 : 0;
      }
    }
    EXPECT_EQ(mismatches, 0) << "room " << room;
  }
  EXPECT_EQ(counts.instructions, alone.instructions);
  for (const int unlisted : {0x00, 0x13E}) {
    const int left = unlisted % 16 * 128;
    const int top = unlisted / 16 * 128;
    int lit = 0;
    for (int y = 0; y < 128; ++y) {
      for (int x = 0; x < 128; ++x) lit += PixelAt(map, left + x, top + y) != Rgb{} ? 1 : 0;
    }
    EXPECT_EQ(lit, 0) << "room " << unlisted;
  }
}

struct RefusalCase {
  std::uint32_t address;
  std::size_t byte;  // which of the checked bytes is changed
  const char* line;
};

TEST(RoomPicture, RefusesAromWithoutTheGamesCode) {
  const std::vector<RefusalCase> cases = {
      {0x02DAF0, 0,
       "hack.sfc: the ROM does not hold the game's Underworld_LoadEntrance_DoPotsBlocksTorches "
       "at $02:DAF0.\n"},
      {0x01873A, 5,
       "hack.sfc: the ROM does not hold the game's Underworld_LoadRoom at $01:873A.\n"},
      {0x00E19B, 0, "hack.sfc: the ROM does not hold the game's InitializeTilesets at $00:E19B.\n"},
      {0x02C630, 3,
       "hack.sfc: the ROM does not hold the game's Underworld_LoadPalettes at $02:C630.\n"},
      {0x028AEF, 5,
       "hack.sfc: the ROM does not hold the game's Underworld_ResetTorchBackgroundAndPlayer at "
       "$02:8AEF.\n"},
  };
  for (const RefusalCase& c : cases) {
    ByteList rom = DrawingRom();
    const std::size_t offset = fixture::SnesToPc(c.address) + c.byte;
    rom.at(offset) = static_cast<std::uint8_t>(rom.at(offset) ^ 0x01);
    EXPECT_EQ(RefusalOf(rom, 0x12), c.line);
  }
  EXPECT_EQ(RefusalOf(fixture::BuildRom(fixture::SimpleRooms()), 0x12), cases.at(0).line);
  RomImage image = Image(fixture::BuildRom(fixture::SimpleRooms()));
  DrawingCounts counts;
  const std::vector<int> rooms = {1};
  EXPECT_THROW(DrawUnderworldPicture(image, rooms, counts), std::runtime_error);
  EXPECT_EQ(counts.roomsDrawn, 0);
}

TEST(RoomPicture, RoutinesThatDoNotReturnStopTheRun) {
  ByteList looping = DrawingRom();
  Patch(looping, fixture::DRAWING_LOAD_ROOM_BODY, {0x80, 0xFE});  // BRA to itself
  EXPECT_EQ(RefusalOf(looping, 0x12),
            "hack.sfc: Underworld_LoadRoom at $01:873A did not return within 20000000 "
            "instructions (room 0x12).\n");
  const std::vector<std::pair<std::uint8_t, std::string>> stops = {
      {0x00, "BRK"}, {0x02, "COP"}, {0xDB, "STP"}, {0xCB, "WAI"}};
  for (const auto& [opcode, name] : stops) {
    ByteList rom = DrawingRom();
    Patch(rom, fixture::DRAWING_COLOURS, {opcode, 0x00});
    EXPECT_EQ(RefusalOf(rom, 0x13F), "hack.sfc: Underworld_LoadPalettes stopped at " + name +
                                         " at $02:E800 (room 0x13F).\n");
  }
}

}  // namespace
