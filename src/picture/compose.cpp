#include "picture/compose.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "picture/room_picture.h"

namespace {

constexpr int TILES = ROOM_PICTURE_SIZE / 8;   // entries a row and rows of a tilemap
constexpr std::uint32_t BG1_TILEMAP = 0x4000;  // work RAM offsets: $7E:4000
constexpr std::uint32_t BG2_TILEMAP = 0x2000;
constexpr std::uint32_t COLOUR_BUFFER = 0xC500;
constexpr std::uint32_t CHARACTERS = 0x2000;  // a VRAM word address
constexpr std::uint32_t VIDEO_WORD_MASK = 0x7FFF;
constexpr int COLOURS = 256;

// One row of a layer: each pixel's colour (an index into the colours, 0 where
// the pixel is transparent) and priority.
struct LayerRow {
  std::array<std::uint8_t, ROOM_PICTURE_SIZE> colour{};
  std::array<std::uint8_t, ROOM_PICTURE_SIZE> high{};
};

std::uint16_t WorkRamWord(const Bus& bus, std::uint32_t offset) {
  return static_cast<std::uint16_t>(bus.workRam.at(offset) | (bus.workRam.at(offset + 1) << 8));
}

// Planes 0-3 of row `line` of character `character`, plane 0 in the low byte.
std::uint32_t CharacterRow(const Bus& bus, std::uint32_t character, int line) {
  const std::uint32_t word = (CHARACTERS + 16 * character + static_cast<std::uint32_t>(line));
  const std::uint32_t low = 2 * (word & VIDEO_WORD_MASK);
  const std::uint32_t high = 2 * ((word + 8) & VIDEO_WORD_MASK);
  return static_cast<std::uint32_t>(bus.videoRam.at(low)) |
         (static_cast<std::uint32_t>(bus.videoRam.at(low + 1)) << 8) |
         (static_cast<std::uint32_t>(bus.videoRam.at(high)) << 16) |
         (static_cast<std::uint32_t>(bus.videoRam.at(high + 1)) << 24);
}

void DecodeRow(const Bus& bus, std::uint32_t tilemap, int y, LayerRow& row) {
  const std::uint32_t rowStart = tilemap + 2 * static_cast<std::uint32_t>(TILES * (y / 8));
  for (int tile = 0; tile < TILES; ++tile) {
    const std::uint16_t entry = WorkRamWord(bus, rowStart + 2 * static_cast<std::uint32_t>(tile));
    const bool flipX = (entry & 0x4000) != 0;
    const int line = (entry & 0x8000) != 0 ? 7 - y % 8 : y % 8;
    const std::uint32_t planes = CharacterRow(bus, entry & 0x3FFu, line);
    const auto palette = static_cast<std::uint8_t>(((entry >> 10) & 7) * 16);
    const auto high = static_cast<std::uint8_t>((entry >> 13) & 1);
    for (int pixel = 0; pixel < 8; ++pixel) {
      const int bit = flipX ? pixel : 7 - pixel;
      const std::uint32_t bits = (planes >> bit) & 0x01010101u;
      const auto index = static_cast<std::uint8_t>((bits & 1) | ((bits >> 7) & 2) |
                                                   ((bits >> 14) & 4) | ((bits >> 21) & 8));
      const auto x = static_cast<std::size_t>(8 * tile + pixel);
      row.colour.at(x) = index == 0 ? 0 : static_cast<std::uint8_t>(palette + index);
      row.high.at(x) = high;
    }
  }
}

// The layer a screen of `layers` shows at `x`: LAYER_BG1, LAYER_BG2, or 0 for none.
std::uint8_t FrontLayer(std::uint8_t layers, const LayerRow& bg1, const LayerRow& bg2,
                        std::size_t x) {
  const bool one = (layers & LAYER_BG1) != 0 && bg1.colour.at(x) != 0;
  const bool two = (layers & LAYER_BG2) != 0 && bg2.colour.at(x) != 0;
  if (one && bg1.high.at(x) != 0) return LAYER_BG1;
  if (two && bg2.high.at(x) != 0) return LAYER_BG2;
  if (one) return LAYER_BG1;
  if (two) return LAYER_BG2;
  return 0;
}

std::uint8_t ColourOf(std::uint8_t layer, const LayerRow& bg1, const LayerRow& bg2, std::size_t x) {
  if (layer == LAYER_BG1) return bg1.colour.at(x);
  if (layer == LAYER_BG2) return bg2.colour.at(x);
  return 0;
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

struct Composer {
  ScreenSetup setup;
  std::array<std::uint16_t, COLOURS> colours{};
  std::array<std::uint8_t, 32> eightBits{};
};

std::uint16_t PixelColour(const Composer& composer, const LayerRow& bg1, const LayerRow& bg2,
                          std::size_t x) {
  const ScreenSetup& setup = composer.setup;
  const std::uint8_t main = FrontLayer(setup.mainScreen, bg1, bg2, x);
  const std::uint16_t colour = composer.colours.at(ColourOf(main, bg1, bg2, x));
  const std::uint8_t mathLayer = main == 0 ? MATH_BACKDROP : main;
  if ((setup.colourMath & mathLayer) == 0) return colour;
  const std::uint8_t sub = FrontLayer(setup.subScreen, bg1, bg2, x);
  if (sub == 0) return Blend(colour, 0, static_cast<std::uint8_t>(setup.colourMath & ~MATH_HALF));
  return Blend(colour, composer.colours.at(ColourOf(sub, bg1, bg2, x)), setup.colourMath);
}

Composer MakeComposer(const Bus& bus, const ScreenSetup& setup) {
  Composer composer{setup, {}, {}};
  for (std::uint32_t colour = 0; colour < COLOURS; ++colour) {
    composer.colours.at(colour) = WorkRamWord(bus, COLOUR_BUFFER + 2 * colour);
  }
  for (std::size_t level = 0; level < composer.eightBits.size(); ++level) {
    composer.eightBits.at(level) = static_cast<std::uint8_t>((level << 3) | (level >> 2));
  }
  return composer;
}

}  // namespace

void ComposeRoom(const Bus& bus, const ScreenSetup& setup, Picture& picture) {
  picture.width = ROOM_PICTURE_SIZE;
  picture.height = ROOM_PICTURE_SIZE;
  picture.rgb.resize(static_cast<std::size_t>(3 * ROOM_PICTURE_SIZE * ROOM_PICTURE_SIZE));
  const Composer composer = MakeComposer(bus, setup);
  LayerRow bg1;
  LayerRow bg2;
  std::size_t out = 0;
  for (int y = 0; y < ROOM_PICTURE_SIZE; ++y) {
    DecodeRow(bus, BG1_TILEMAP, y, bg1);
    DecodeRow(bus, BG2_TILEMAP, y, bg2);
    for (std::size_t x = 0; x < ROOM_PICTURE_SIZE; ++x) {
      const std::uint16_t colour = PixelColour(composer, bg1, bg2, x);
      picture.rgb.at(out++) = composer.eightBits.at(colour & 31);
      picture.rgb.at(out++) = composer.eightBits.at((colour >> 5) & 31);
      picture.rgb.at(out++) = composer.eightBits.at((colour >> 10) & 31);
    }
  }
}
