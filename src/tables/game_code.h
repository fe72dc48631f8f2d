// Recognising the game. Every fixed field the readers use is the operand of
// one of the game's instructions; before a ROM's tables are read, the opcode
// in front of each field must be the one the game has there. An image of
// another version of the game, or a hack that rewrote one of those routines,
// is refused instead of being read as garbage and patched over its code.
#pragma once

#include <array>
#include <cstdint>

#include "rom/rom_image.h"
#include "tables/chests.h"
#include "tables/pit_rooms.h"
#include "tables/pushable_blocks.h"
#include "tables/room_headers.h"
#include "tables/room_items.h"
#include "tables/room_layers.h"
#include "tables/room_messages.h"
#include "tables/room_sprites.h"
#include "tables/torches.h"

struct OpcodeCheck {
  std::uint32_t offset;
  std::uint8_t opcode;
  const char* field;
};

// The instruction whose operand is the field at `field`.
constexpr OpcodeCheck OperandOf(std::uint32_t field, std::uint8_t opcode, const char* name) {
  return {field - 1, opcode, name};
}

constexpr std::uint8_t LDA_LONG_X_OPCODE = 0xBF;
constexpr std::uint8_t LDA_IMMEDIATE_OPCODE = 0xA9;
constexpr std::uint8_t LDX_IMMEDIATE_OPCODE = 0xA2;
constexpr std::uint8_t CMP_LONG_X_OPCODE = 0xDF;
constexpr std::uint8_t CPX_IMMEDIATE_OPCODE = 0xE0;
constexpr std::uint8_t CMP_IMMEDIATE_OPCODE = 0xC9;

// In the order they are checked.
inline constexpr std::array<OpcodeCheck, 21> GAME_CODE_CHECKS = {{
    OperandOf(HEADER_TABLE_FIELD, LDA_LONG_X_OPCODE, "header table"),
    OperandOf(HEADER_BANK_FIELD, LDA_IMMEDIATE_OPCODE, "header bank"),
    OperandOf(LAYER_TABLE_FIELD, LDA_LONG_X_OPCODE, "layer table"),
    OperandOf(ITEM_TABLE_FIELD, LDA_LONG_X_OPCODE, "item table"),
    OperandOf(ITEM_BANK_FIELD, LDA_IMMEDIATE_OPCODE, "item bank"),
    OperandOf(PIT_LAST_INDEX_FIELD, LDX_IMMEDIATE_OPCODE, "pit last index"),
    OperandOf(PIT_LIST_FIELD, CMP_LONG_X_OPCODE, "pit list"),
    OperandOf(MESSAGE_TABLE_FIELD, LDA_ABSOLUTE_Y_OPCODE, "message table"),
    OperandOf(TORCH_COUNT_FIELD, CPX_IMMEDIATE_OPCODE, "torch count"),
    OperandOf(TORCH_WINDOW_FIELDS[0], LDA_LONG_X_OPCODE, "torch windows"),
    OperandOf(TORCH_WINDOW_FIELDS[1], LDA_LONG_X_OPCODE, "torch windows"),
    OperandOf(TORCH_WINDOW_FIELDS[2], LDA_LONG_X_OPCODE, "torch windows"),
    OperandOf(CHEST_COUNT_FIELD, CPX_IMMEDIATE_OPCODE, "chest count"),
    OperandOf(CHEST_TABLE_FIELD, LDA_LONG_X_OPCODE, "chest addresses"),
    OperandOf(CHEST_ITEM_FIELD, LDA_LONG_X_OPCODE, "chest addresses"),
    OperandOf(CHEST_TABLE_COPY_FIELD, LDA_LONG_X_OPCODE, "chest addresses"),
    OperandOf(PUSHABLE_BLOCK_COUNT_FIELD, CMP_IMMEDIATE_OPCODE, "block count"),
    OperandOf(PUSHABLE_BLOCK_WINDOW_FIELDS[0], LDA_LONG_X_OPCODE, "block windows"),
    OperandOf(PUSHABLE_BLOCK_WINDOW_FIELDS[1], LDA_LONG_X_OPCODE, "block windows"),
    OperandOf(PUSHABLE_BLOCK_WINDOW_FIELDS[2], LDA_LONG_X_OPCODE, "block windows"),
    OperandOf(PUSHABLE_BLOCK_WINDOW_FIELDS[3], LDA_LONG_X_OPCODE, "block windows"),
}};

// Stops the run at the first byte that is not the game's.
void CheckGameCode(RomImage& rom);

// Whether CheckGameCode lets the image pass, without a word.
bool HoldsGameCode(const RomImage& rom);
