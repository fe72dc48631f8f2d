// How the PPU composes a room: the layers of the main and sub screens as
// Underworld_ResetTorchBackgroundAndPlayer sets their mirrors $1C (TM) and
// $1D (TS) from the room's layer effect in $0414, and the colour math
// (CGADSUB, mirrored in $9A) the underworld module sets for that effect.
// CGWSEL ($99) is $02 for every room: the sub screen is added, the fixed
// colour black stands in where it is transparent, math is never prevented
// and colours are never clipped.
#pragma once

#include <cstdint>

#include "cpu/bus.h"

constexpr std::uint8_t LAYER_BG1 = 0x01;
constexpr std::uint8_t LAYER_BG2 = 0x02;
constexpr std::uint8_t MATH_BACKDROP = 0x20;
constexpr std::uint8_t MATH_HALF = 0x40;
constexpr std::uint8_t MATH_SUBTRACT = 0x80;

struct ScreenSetup {
  std::uint8_t mainScreen = 0;  // TM: bit 0 BG1, bit 1 BG2 (the other bits are not drawn)
  std::uint8_t subScreen = 0;   // TS
  std::uint8_t colourMath = 0;  // CGADSUB: the layers math applies to, half, subtract
};

// The setup for the effect in $0414 of the loaded room, the sub screen layers
// read from the table at `layerTable` (8 bytes, one an effect) as the game
// reads it.
ScreenSetup ReadScreenSetup(Bus& bus, std::uint32_t layerTable);
