#include "picture/screen_setup.h"

namespace {

constexpr std::uint32_t ROOM_EFFECT = 0x7E0414;
// What the routine stores in $1C: BG2, BG3 and sprites, and BG1 beside them
// where the table's entry is negative.
constexpr std::uint8_t MAIN_SCREEN = 0x16;
constexpr std::uint8_t MAIN_SCREEN_WITH_BG1 = 0x17;
// Effect 2 puts both layers on the sub screen whatever the table says.
constexpr std::uint8_t BOTH_LAYERS_EFFECT = 2;
constexpr std::uint8_t BOTH_LAYERS = 0x03;
// The underworld module's CGADSUB: math on the backdrop only, but for two effects.
constexpr std::uint8_t PLAIN_MATH = 0x20;
constexpr std::uint8_t EFFECT_ADD = 7;
constexpr std::uint8_t ADD_MATH = 0x32;  // backdrop, sprites and BG2, added
constexpr std::uint8_t EFFECT_HALF_ADD = 4;
constexpr std::uint8_t HALF_ADD_MATH = 0x62;  // backdrop and BG2, added and halved

std::uint8_t ColourMathFor(std::uint8_t effect) {
  if (effect == EFFECT_ADD) return ADD_MATH;
  if (effect == EFFECT_HALF_ADD) return HALF_ADD_MATH;
  return PLAIN_MATH;
}

}  // namespace

ScreenSetup ReadScreenSetup(Bus& bus, std::uint32_t layerTable) {
  // The routine runs with 8-bit index registers: LDX $0414 takes one byte.
  const std::uint8_t effect = ReadBus(bus, ROOM_EFFECT);
  const std::uint8_t entry = ReadBus(bus, (layerTable + effect) & 0xFFFFFF);
  ScreenSetup setup;
  setup.mainScreen = MAIN_SCREEN;
  setup.subScreen = entry;
  if ((entry & 0x80) != 0) {
    setup.mainScreen = MAIN_SCREEN_WITH_BG1;
    setup.subScreen = 0;
  }
  if (effect == BOTH_LAYERS_EFFECT) setup.subScreen = BOTH_LAYERS;
  setup.colourMath = ColourMathFor(effect);
  return setup;
}
