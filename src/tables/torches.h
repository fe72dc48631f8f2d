// Torches: one game-wide table of entries, at most 384 bytes, seen by the game
// through three windows of 128 bytes with an address each.
//
//   0x88C1   2 bytes  length of the table in bytes
//   0x15B16  3 bytes  SNES address of table bytes 0-127
//   0x15B1D  3 bytes  SNES address of table bytes 128-255
//   0x15B24  3 bytes  SNES address of table bytes 256-383
//
// An entry is a sequence of words: the room number, the room's torch words
// (any value but 0xFFFF, kept as they are) and the end word 0xFFFF. The game
// copies the three windows into one contiguous table before it reads it, so
// an entry may run across a window boundary and the windows need not be
// adjacent in the ROM. Table byte j lies at the address of window j / 128 plus
// j mod 128. A room word of 0xFFFF or above 319 is skipped on its own.
// A room's `torches` holds its torch words in table order, without the room
// and end words.
//
// The writer puts the label "Torches" (16 bytes) and one entry for each room
// that has torches, rooms 0 to 319 in ascending order, into the relocated
// area; a room whose entry would take the table past TORCH_TABLE_LIMIT bytes
// is reported and left out. The count and the three window addresses (table
// start plus 0, 128, 256) point at the new table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "rom/output_rom.h"
#include "rom/rom_image.h"
#include "rooms/room_data.h"

constexpr std::uint32_t TORCH_COUNT_FIELD = 0x88C1;
constexpr std::array<std::uint32_t, 3> TORCH_WINDOW_FIELDS = {0x15B16, 0x15B1D, 0x15B24};
constexpr std::uint32_t TORCH_WINDOW_SIZE = 128;
constexpr std::uint32_t TORCH_TABLE_LIMIT = 384;
constexpr std::uint16_t TORCH_END_WORD = 0xFFFF;
constexpr std::size_t TORCH_WORD_SIZE = 2;
// The game's own place of the table, SNES $04:F36A, behind its three windows,
// and the space it has there: where the dungeon editors read and write it.
constexpr std::uint32_t GAME_TORCH_TABLE = 0x2736A;
constexpr std::uint32_t GAME_TORCH_SPACE = 0x120;
// The label in front of the table in the relocated area.
constexpr char TORCH_TABLE_LABEL[] = "Torches";

// The bytes of a room's entry: room word, torch words, end word.
std::uint32_t TorchEntrySize(const WordList& torches);

void ReadRoomTorches(RomImage& rom, RoomSet& rooms);
void WriteRoomTorches(OutputRom& out, const RoomSet& rooms);

// The editable layout: the table rewritten at GAME_TORCH_TABLE, at most
// GAME_TORCH_SPACE bytes, with the count; the windows stay. The position stays.
void WriteRoomTorchesInPlace(OutputRom& out, const RoomSet& rooms);
// Stops the run unless the three windows hold the game's addresses of GAME_TORCH_TABLE.
void RefuseTorchWindowsAway(RomImage& rom);

// The rooms, in ascending order, whose torches the writer leaves out because
// their entry would take the table past `limit` bytes.
std::vector<int> RoomsLeftOutOfTorchTable(const RoomSet& rooms,
                                          std::uint32_t limit = TORCH_TABLE_LIMIT);
