// Pushable blocks: one game-wide table of 4-byte entries, at most 0x200 bytes,
// seen by the game through four windows of 128 bytes with an address each.
//
//   0x8896   2 bytes  length of the table in bytes (4 per entry)
//   0x15AFA  3 bytes  SNES address of table bytes 0-127
//   0x15B01  3 bytes  SNES address of table bytes 128-255
//   0x15B08  3 bytes  SNES address of table bytes 256-383
//   0x15B0F  3 bytes  SNES address of table bytes 384-511
//
// Each entry is the room word followed by the block word, which is kept as it
// is. An entry never straddles two windows, and the windows need not be
// adjacent. The game reads an entry at every byte index below the count, up to
// 512 bytes, so a count that is not a multiple of 4 reaches one entry past it.
// A room's `pushableBlocks` holds its block words in table order.
//
// The writer puts the label "Pushable Blocks" (16 bytes) and the entries of
// rooms 0 to 319, in ascending order, into the relocated area; a room whose
// blocks would take the table past 0x200 bytes is reported and left out whole.
// The count and the four window addresses (table start plus 0, 0x80, 0x100,
// 0x180) point at the new table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "rom/output_rom.h"
#include "rom/rom_image.h"
#include "rooms/room_data.h"

constexpr std::uint32_t PUSHABLE_BLOCK_COUNT_FIELD = 0x8896;
constexpr std::array<std::uint32_t, 4> PUSHABLE_BLOCK_WINDOW_FIELDS = {0x15AFA, 0x15B01, 0x15B08,
                                                                       0x15B0F};
constexpr std::uint32_t PUSHABLE_BLOCK_WINDOW_SIZE = 128;
constexpr std::uint32_t PUSHABLE_BLOCK_ENTRY_SIZE = 4;
// The block word of an entry, as a room's `pushableBlocks` keeps it.
constexpr std::size_t PUSHABLE_BLOCK_WORD_SIZE = 2;
constexpr std::uint32_t PUSHABLE_BLOCK_TABLE_LIMIT = 0x200;
// The label in front of the table in the relocated area.
constexpr char PUSHABLE_BLOCK_TABLE_LABEL[] = "Pushable Blocks";

void ReadRoomPushableBlocks(RomImage& rom, RoomSet& rooms);
// With `reservedSize`, the table takes at least that many bytes after its
// label (only the entries are written), as for the chests.
void WriteRoomPushableBlocks(OutputRom& out, const RoomSet& rooms, std::uint32_t reservedSize = 0);

// The rooms, in ascending order, whose blocks the writer leaves out because
// they would take the table past PUSHABLE_BLOCK_TABLE_LIMIT bytes.
std::vector<int> RoomsLeftOutOfPushableBlockTable(const RoomSet& rooms);

// The number of entries the writer puts into the table.
std::size_t PushableBlocksWritten(const RoomSet& rooms);

// Dungeon editors refuse to save a ROM with more blocks than this (396 bytes
// of entries), though they open it and the game plays it.
constexpr std::size_t EDITOR_PUSHABLE_BLOCK_LIMIT = 99;

// Prints one line on `console` when the table the writer puts out holds more
// blocks than the editors save.
void ReportBlocksEditorsCannotSave(const RoomSet& rooms, std::FILE* console);
