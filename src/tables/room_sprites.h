// Room sprites: one sprite list per room, found through a table of 320
// two-byte pointers that share one bank byte.
//
// The game looks the table up in its code at 0x4C296 (TAY; LDA abs,Y):
//
//   0x4C296  2 bytes  A8 B9 (TAY; LDA abs,Y)
//   0x4C298  2 bytes  low 16 bits of the table's address; table and lists in bank 0x09
//
// A ROM this tool wrote calls the sprite pointer loader there instead:
//
//   0x4C296  4 bytes  22 (JSL), then the loader's 24-bit address (low, high, bank)
//   loader + 3        1 byte   bank of the table and of every list
//   loader + 14       2 bytes  low 16 bits of the table's address
//
// Entry i of the table is the low 16 bits of room i's list address. A list
// is the sort byte, then 3-byte sprite entries, then the end byte 0xFF (kept
// as the list's last byte); the readers do not interpret the bytes before it
// and end the list where list_ends.h says.
//
// The writer puts one block into the relocated area, inside one bank below
// 0x200000 (the game's sprite code reaches work RAM through the data bank,
// which only banks 0x00-0x3F mirror):
//
//   S        "Sprite Pointer Table", the rest of its 32 bytes not written
//   S + 32   the new table, 320 entries
//   S + 672  per room: "Sprites Room %d" padded to 16, the list padded to 16
//   L        "Sprite Pointers Loader Code", the rest of its 32 bytes not written
//   R        the loader, 17 bytes, then 15 bytes not written
//   R + 32   "Slot Death Masks"
//   M        the 16 words 1 << k, k = 0..15; the block ends at R + 80
//
// The loader sets the data bank register to the block's bank and leaves it
// there, so the game's enemy-death check (AND abs,Y at 0x4C376, after the
// bytes BF 80 DF 7F 39 at 0x4C372) reads its bit masks from that bank: its
// operand at 0x4C377 is pointed at M when those bytes are found.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "rom/output_rom.h"
#include "rom/rom_image.h"
#include "rooms/room_data.h"
#include "tables/banked_lists.h"
#include "tables/list_region.h"

constexpr std::uint32_t SPRITE_CODE_FIELD = 0x4C296;
constexpr std::uint32_t GAME_SPRITE_TABLE_FIELD = 0x4C298;
constexpr std::uint8_t GAME_SPRITE_BANK = 0x09;
constexpr std::uint8_t TAY_OPCODE = 0xA8;
constexpr std::uint8_t LDA_ABSOLUTE_Y_OPCODE = 0xB9;
constexpr std::uint8_t JSL_OPCODE = 0x22;

// The sort byte in front of the entries, and the size of one sprite entry.
constexpr std::size_t SPRITE_SORT_SIZE = 1;
constexpr std::size_t SPRITE_ENTRY_SIZE = 3;
constexpr std::uint32_t SPRITE_TABLE_SIZE = 2 * ROOM_COUNT;

constexpr std::size_t SPRITE_LOADER_SIZE = 17;
constexpr std::size_t SPRITE_LOADER_BANK_BYTE = 3;
constexpr std::size_t SPRITE_LOADER_TABLE_BYTE = 14;  // 2 bytes

// SEP #$30; LDA #bank; PHA; PLB; REP #$30; LDA $048E (room number); ASL A;
// TAY; LDA table,Y; RTL. Returns the room's list address in the accumulator
// with the data bank register on the block's bank.
inline constexpr std::array<std::uint8_t, SPRITE_LOADER_SIZE> SPRITE_LOADER_TEMPLATE = {
    0xE2, 0x30, 0xA9, 0x00, 0x48, 0xAB, 0xC2, 0x30, 0xAD,
    0x8E, 0x04, 0x0A, 0xA8, 0xB9, 0x00, 0x00, 0x6B};

// LDA long $7FDF80,X; AND abs,Y: the room's killed-enemy mask against the bit-mask table.
constexpr std::uint32_t DEATH_MASK_CODE = 0x4C372;
inline constexpr std::array<std::uint8_t, 5> DEATH_MASK_SIGNATURE = {0xBF, 0x80, 0xDF, 0x7F, 0x39};
constexpr std::uint32_t DEATH_MASK_OPERAND = 0x4C377;
constexpr int DEATH_MASK_COUNT = 16;

// The whole sprite block must end at or below this offset (end of bank 0x3F).
constexpr std::int64_t SPRITE_BLOCK_LIMIT = 0x200000;

using SpritePointerTable = BankedPointerTable;

// Prints the loader's values on `console` (nullptr: quiet) when the ROM calls this tool's loader.
void ReadSpritePointerTable(RomImage& rom, SpritePointerTable& table, std::FILE* console = nullptr);
// Appends each room's list, with its 0xFF end byte, to the room's spriteData.
void ReadRoomSprites(RomImage& rom, RoomSet& rooms, const SpritePointerTable& table);
// Writes the sprite block from the position and patches the game's code;
// leaves the position at the end of the block.
void WriteRoomSprites(OutputRom& out, const RoomSet& rooms);

// The editable layout keeps the game's lookup: the table where the word at
// 0x4C298 leads, rewritten there, and the lists packed into `region`, the
// span of the destination's own lists in bank 0x09. The position stays.
void WriteRoomSpritesInPlace(OutputRom& out, const RoomSet& rooms, const ListRegion& region);
// The file offset of the sprite table that the game's lookup at 0x4C296 reads.
std::int64_t GameSpriteTableOffset(RomImage& rom);
// The span of the lists read through `table` into `rooms`.
ListRegion SpriteListRegion(const SpritePointerTable& table, const RoomSet& rooms,
                            const std::string& romName);
// Stops the run when the ROM's sprite lookup calls this tool's loader: the
// editable layout needs the game's own lookup.
void RefuseSpriteLoader(RomImage& rom);
// The bytes left for the padded lists by a sprite block placed from `from`
// (aligned to 16 as the writer aligns it), which must end by SPRITE_BLOCK_LIMIT.
std::int64_t SpriteListRoom(std::int64_t from);

// The last of the checks that the ROM holds the game's code: the sprite
// lookup at 0x4C296, in the game's own form or as this tool's loader call.
void CheckSpriteCode(RomImage& rom);
// Whether CheckSpriteCode lets the image pass.
bool HoldsSpriteCode(const RomImage& rom);
