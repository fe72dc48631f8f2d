// Chests: one game-wide table of 3-byte entries, found through a byte count
// and the table's address.
//
//   0xEBF6  2 bytes  length of the table in bytes (3 per entry)
//   0xEBFB  3 bytes  SNES address of the table
//   0xEC10  3 bytes  the same address, for a second reader in the game's code
//   0xEC0A  3 bytes  the table address plus 2 (the item byte of the first entry)
//
// Each entry is a room word (bits 0-14 the room number, bit 15 the chest's
// flag) followed by the item byte. The game reads an entry at every byte index
// below the count, so a count that is not a multiple of 3 reaches one entry
// past it. In a room's `chests` list every chest is two bytes: the flag byte
// (0x80 when bit 15 was set, else 0x00), then the item byte.
//
// The writer puts the label "Chests" (16 bytes) and the entries of rooms 0 to
// 319, in ascending order, into the relocated area and points the count and
// the three address fields at them.
//
// Dungeon editors take the count for a number of entries and so read three
// times as far as the table: for the editable layout the writer fills that
// span behind the entries with FF FF FF entries (room 0x7FFF, no room of the
// game) and keeps every other block out of it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "rom/output_rom.h"
#include "rom/rom_image.h"
#include "rooms/room_data.h"

constexpr std::uint32_t CHEST_COUNT_FIELD = 0xEBF6;
constexpr std::uint32_t CHEST_TABLE_FIELD = 0xEBFB;
constexpr std::uint32_t CHEST_TABLE_COPY_FIELD = 0xEC10;
constexpr std::uint32_t CHEST_ITEM_FIELD = 0xEC0A;
constexpr std::uint32_t CHEST_ENTRY_SIZE = 3;
// A chest in a room's `chests` list: the flag byte and the item byte.
constexpr std::size_t ROOM_CHEST_SIZE = 2;
constexpr std::uint8_t BIG_CHEST_FLAG = 0x80;

void ReadRoomChests(RomImage& rom, RoomSet& rooms);
void WriteRoomChests(OutputRom& out, const RoomSet& rooms);
// The editable layout's chest block: the span the editors read (three times
// the count) holds the entries, then FF FF FF entries; the block takes at
// least EDITOR_CHEST_SPACE bytes after its label, room for an editor that
// writes up to its own limit through the table address without reaching the
// next block.
void WriteRoomChestsForEditors(OutputRom& out, const RoomSet& rooms);
// The most chests a dungeon editor writes through the table address: 168 entries.
constexpr std::uint32_t EDITOR_CHEST_SPACE = 168 * 3;
// How many bytes from the table's start an editor reads per byte of the count.
constexpr std::uint32_t EDITOR_CHEST_READ_FACTOR = CHEST_ENTRY_SIZE;
// Every byte of the filler entries behind the chests in the span the editors read.
constexpr std::uint8_t EDITOR_CHEST_FILLER = 0xFF;
