#include "picture/compose.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "picture/room_picture.h"

// The layers are worked on 8 pixels at a time, the pixels of one row of a
// tile, one a byte of a 64-bit word (pixel i in bits 8 i to 8 i + 7). A byte
// mask holds 0xFF in the bytes of the pixels it takes, 0x00 in the others.
namespace {

constexpr std::size_t TILES = ROOM_PICTURE_SIZE / 8;  // entries a row and rows of a tilemap
constexpr std::uint32_t BG1_TILEMAP = 0x4000;         // work RAM offsets: $7E:4000
constexpr std::uint32_t BG2_TILEMAP = 0x2000;
constexpr std::uint32_t COLOUR_BUFFER = 0xC500;
constexpr std::uint32_t CHARACTERS = 0x2000;  // a VRAM word address
constexpr std::uint32_t VIDEO_WORD_MASK = 0x7FFF;
constexpr std::size_t COLOURS = 256;
constexpr std::uint64_t EVERY_BYTE = 0x0101010101010101ull;
constexpr std::uint64_t TOP_BITS = 0x8080808080808080ull;

// Eight pixels of a layer: their colours (indices into the colours) and
// ranks in mode 1's order, 0 where a pixel is transparent: BG1 high 4, BG2
// high 3, BG1 low 2, BG2 low 1.
struct Span {
  std::uint64_t colour = 0;
  std::uint64_t rank = 0;
};
using LayerRow = std::array<Span, TILES>;
constexpr std::array<std::uint64_t, 2> BG1_RANKS = {2, 4};  // low, high
constexpr std::array<std::uint64_t, 2> BG2_RANKS = {1, 3};

// The 8 bits of a plane's byte spread over the 8 bytes of a word, the
// leftmost pixel (bit 7) in the lowest byte; `mirrored` for a character
// flipped horizontally.
struct PlaneSpread {
  std::array<std::uint64_t, 256> plain{};
  std::array<std::uint64_t, 256> mirrored{};
};

struct Composer {
  ScreenSetup setup;
  std::array<std::uint16_t, COLOURS> colours{};
  std::array<std::uint8_t, 32> eightBits{};  // a 5-bit level widened to 8 bits
  // The colours widened, red, green and blue in the first three bytes in memory.
  std::array<std::uint32_t, COLOURS> rgb{};
  PlaneSpread spread;
};

// 0xFF in each byte whose top bit `bits` has set.
std::uint64_t ByteMask(std::uint64_t bits) { return ((bits & TOP_BITS) >> 7) * 0xFF; }

// The bytes of `lanes` that are not 0 (each at most 0x80).
std::uint64_t NonZero(std::uint64_t lanes) { return ByteMask(lanes + 0x7F * EVERY_BYTE); }

// The readers below index the bus's memories, which ComposeRoom has found
// at their full sizes, at offsets inside them: below $7E:6000 in work RAM,
// words masked to VRAM's 32 K.
std::uint16_t WorkRamWord(const Bus& bus, std::uint32_t offset) {
  return static_cast<std::uint16_t>(bus.workRam[offset] | (bus.workRam[offset + 1] << 8));
}

std::uint8_t VideoByte(const Bus& bus, std::uint32_t word, std::uint32_t high) {
  return bus.videoRam[2 * (word & VIDEO_WORD_MASK) + high];
}

// The colour indices of row `line` of character `character`.
std::uint64_t CharacterRow(const Bus& bus, const std::array<std::uint64_t, 256>& spread,
                           std::uint32_t character, int line) {
  const std::uint32_t word = CHARACTERS + 16 * character + static_cast<std::uint32_t>(line);
  return spread[VideoByte(bus, word, 0)] | (spread[VideoByte(bus, word, 1)] << 1) |
         (spread[VideoByte(bus, word + 8, 0)] << 2) | (spread[VideoByte(bus, word + 8, 1)] << 3);
}

void DecodeRow(const Bus& bus, const Composer& composer, std::uint32_t tilemap,
               const std::array<std::uint64_t, 2>& ranks, int y, LayerRow& row) {
  const std::uint32_t rowStart = tilemap + static_cast<std::uint32_t>(2 * TILES) * (y / 8);
  for (std::size_t tile = 0; tile < TILES; ++tile) {
    const std::uint16_t entry = WorkRamWord(bus, rowStart + 2 * static_cast<std::uint32_t>(tile));
    const int line = (entry & 0x8000) != 0 ? 7 - y % 8 : y % 8;
    const auto& spread = (entry & 0x4000) != 0 ? composer.spread.mirrored : composer.spread.plain;
    const std::uint64_t pixels = CharacterRow(bus, spread, entry & 0x3FFu, line);
    const std::uint64_t palette = ((entry >> 10) & 7u) * 16;
    // The colour is the palette's plus the index; only an index of 0 is
    // transparent.
    row[tile] = {pixels + palette * EVERY_BYTE,
                 (NonZero(pixels) & EVERY_BYTE) * ranks[(entry >> 13) & 1]};
  }
}

// What a screen shows of eight pixels: the colours (0, the backdrop, where
// no layer shows) and byte masks of the pixels BG1 and BG2 show.
struct Front {
  std::uint64_t colour;
  std::uint64_t one;
  std::uint64_t two;
};

// The front pixels of a screen that shows BG1 where `mask1` is all ones, BG2
// where `mask2` is.
Front FrontOf(const Span& bg1, const Span& bg2, std::uint64_t mask1, std::uint64_t mask2) {
  const std::uint64_t rank1 = bg1.rank & mask1;
  const std::uint64_t rank2 = bg2.rank & mask2;
  // Ranks are at most 4: no byte borrows from the next.
  const std::uint64_t one = ByteMask((rank1 | TOP_BITS) - (rank2 + EVERY_BYTE));
  const std::uint64_t two = NonZero(rank2) & ~one;
  return {(bg1.colour & one) | (bg2.colour & two), one, two};
}

std::uint64_t Everywhere(std::uint8_t layers, std::uint8_t layer) {
  return (layers & layer) != 0 ? ~std::uint64_t{0} : 0;
}

// `main` with `sub` added or subtracted per channel as `math` asks.
std::uint16_t Blend(std::uint16_t main, std::uint16_t sub, std::uint8_t math) {
  std::uint16_t result = 0;
  for (int shift = 0; shift < 15; shift += 5) {
    const int a = (main >> shift) & 31;
    const int b = (sub >> shift) & 31;
    int value = (math & MATH_SUBTRACT) != 0 ? std::max(a - b, 0) : a + b;
    if ((math & MATH_HALF) != 0) value >>= 1;
    result = static_cast<std::uint16_t>(result | (std::min(value, 31) << shift));
  }
  return result;
}

// The screens' layers and the layers colour math applies to, as masks.
struct Masks {
  std::uint64_t main1, main2, sub1, sub2, math1, math2, mathBackdrop;
};

Masks MasksOf(const ScreenSetup& setup) {
  return {Everywhere(setup.mainScreen, LAYER_BG1),    Everywhere(setup.mainScreen, LAYER_BG2),
          Everywhere(setup.subScreen, LAYER_BG1),     Everywhere(setup.subScreen, LAYER_BG2),
          Everywhere(setup.colourMath, LAYER_BG1),    Everywhere(setup.colourMath, LAYER_BG2),
          Everywhere(setup.colourMath, MATH_BACKDROP)};
}

// Eight pixels of the picture, 24 bytes from `rgb`.
void ComposeSpan(const Composer& composer, const Masks& masks, const Span& bg1, const Span& bg2,
                 std::uint8_t* rgb) {
  const Front main = FrontOf(bg1, bg2, masks.main1, masks.main2);
  const std::uint64_t math = (main.one & masks.math1) | (main.two & masks.math2) |
                             (~(main.one | main.two) & masks.mathBackdrop);
  // Where the sub screen is transparent the fixed colour, black, is added or
  // subtracted without halving: the colour stays as it is.
  std::uint64_t blended = 0;
  Front sub{0, 0, 0};
  if (math != 0) {
    sub = FrontOf(bg1, bg2, masks.sub1, masks.sub2);
    blended = math & (sub.one | sub.two);
  }
  std::uint64_t colours = main.colour;
  if (blended == 0) {
    // Four bytes a pixel, the fourth overwritten by the next pixel: the last
    // takes three, inside the span's 24 bytes.
    for (int pixel = 0; pixel < 7; ++pixel, colours >>= 8, rgb += 3) {
      std::memcpy(rgb, &composer.rgb[colours & 0xFF], 4);
    }
    std::memcpy(rgb, &composer.rgb[colours & 0xFF], 3);
    return;
  }
  for (int pixel = 0; pixel < 8; ++pixel, colours >>= 8, blended >>= 8, rgb += 3) {
    if ((blended & 1) == 0) {
      std::memcpy(rgb, &composer.rgb[colours & 0xFF], 3);
      continue;
    }
    const std::uint16_t mixed =
        Blend(composer.colours[colours & 0xFF],
              composer.colours[static_cast<std::uint8_t>(sub.colour >> (8 * pixel))],
              composer.setup.colourMath);
    rgb[0] = composer.eightBits[mixed & 31];
    rgb[1] = composer.eightBits[(mixed >> 5) & 31];
    rgb[2] = composer.eightBits[(mixed >> 10) & 31];
  }
}

std::uint64_t Spread(unsigned byte, int firstBit, int step) {
  std::uint64_t lanes = 0;
  for (int pixel = 0; pixel < 8; ++pixel) {
    lanes |= static_cast<std::uint64_t>((byte >> (firstBit + step * pixel)) & 1) << (8 * pixel);
  }
  return lanes;
}

Composer MakeComposer(const Bus& bus, const ScreenSetup& setup) {
  Composer composer{setup, {}, {}, {}, {}};
  for (std::size_t level = 0; level < composer.eightBits.size(); ++level) {
    composer.eightBits.at(level) = static_cast<std::uint8_t>((level << 3) | (level >> 2));
  }
  for (std::size_t colour = 0; colour < COLOURS; ++colour) {
    const std::size_t at = COLOUR_BUFFER + 2 * colour;
    const auto value =
        static_cast<std::uint16_t>(bus.workRam.at(at) | (bus.workRam.at(at + 1) << 8));
    composer.colours.at(colour) = value;
    std::array<std::uint8_t, 4> widened{};
    for (std::size_t channel = 0; channel < 3; ++channel) {
      widened.at(channel) = composer.eightBits.at((value >> (5 * channel)) & 31);
    }
    std::memcpy(&composer.rgb.at(colour), widened.data(), widened.size());
  }
  for (unsigned byte = 0; byte < 256; ++byte) {
    composer.spread.plain.at(byte) = Spread(byte, 7, -1);
    composer.spread.mirrored.at(byte) = Spread(byte, 0, 1);
  }
  return composer;
}

}  // namespace

void ComposeRoom(const Bus& bus, const ScreenSetup& setup, Picture& picture) {
  if (bus.workRam.size() != WORK_RAM_SIZE || bus.videoRam.size() != VIDEO_RAM_SIZE) {
    throw std::logic_error("composing a room on a bus without its memories");
  }
  picture.width = ROOM_PICTURE_SIZE;
  picture.height = ROOM_PICTURE_SIZE;
  picture.rgb.resize(3 * ROOM_PICTURE_SIZE * ROOM_PICTURE_SIZE);
  const Composer composer = MakeComposer(bus, setup);
  const Masks masks = MasksOf(setup);
  LayerRow bg1;
  LayerRow bg2;
  // 512 rows of 64 spans of 24 bytes: the picture's bytes.
  std::uint8_t* rgb = picture.rgb.data();
  for (int y = 0; y < ROOM_PICTURE_SIZE; ++y) {
    DecodeRow(bus, composer, BG1_TILEMAP, BG1_RANKS, y, bg1);
    DecodeRow(bus, composer, BG2_TILEMAP, BG2_RANKS, y, bg2);
    for (std::size_t tile = 0; tile < TILES; ++tile, rgb += 24) {
      ComposeSpan(composer, masks, bg1[tile], bg2[tile], rgb);
    }
  }
}
