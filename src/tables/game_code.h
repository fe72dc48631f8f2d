// Recognising the game. Every fixed field the readers use is the operand of
// one of the game's instructions; before a ROM's tables are read, the opcode
// in front of each field must be the one the game has there. An image of
// another version of the game, or a hack that rewrote one of those routines,
// is refused instead of being read as garbage and patched over its code.
#pragma once

#include <array>
#include <cstdint>

#include "rom/rom_image.h"

struct OpcodeCheck {
  std::uint32_t offset;
  std::uint8_t opcode;
  const char* field;
};

// In the order they are checked.
inline constexpr std::array<OpcodeCheck, 21> GAME_CODE_CHECKS = {{
    {0xB5DC, 0xBF, "header table"},    {0xB5E6, 0xA9, "header bank"},
    {0x874B, 0xBF, "layer table"},     {0xE6C1, 0xBF, "item table"},
    {0xE6C7, 0xA9, "item bank"},       {0x394A5, 0xA2, "pit last index"},
    {0x394AA, 0xDF, "pit list"},       {0x3B4FF, 0xB9, "message table"},
    {0x88C0, 0xE0, "torch count"},     {0x15B15, 0xBF, "torch windows"},
    {0x15B1C, 0xBF, "torch windows"},  {0x15B23, 0xBF, "torch windows"},
    {0xEBF5, 0xE0, "chest count"},     {0xEBFA, 0xBF, "chest addresses"},
    {0xEC09, 0xBF, "chest addresses"}, {0xEC0F, 0xBF, "chest addresses"},
    {0x8895, 0xC9, "block count"},     {0x15AF9, 0xBF, "block windows"},
    {0x15B00, 0xBF, "block windows"},  {0x15B07, 0xBF, "block windows"},
    {0x15B0E, 0xBF, "block windows"},
}};

// Stops the run at the first byte that is not the game's.
void CheckGameCode(RomImage& rom);
