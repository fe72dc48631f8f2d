// Room headers: 14 bytes per room, found through the room header pointer
// table.
//
//   0xB5DD  3 bytes  SNES address of the pointer table
//   0xB5E7  1 byte   bank of every room header
//
// Entry i of the table (2 bytes) is the low 16 bits of room i's header
// address. The table holds 320 entries, or only 296 with the header data
// directly behind it (room 0's header where entry 296 would be); rooms 296 to
// 319 then use room 295's entry.
//
// The writer puts one block of 320 records of 32 bytes into the relocated
// area: "Header Room %d" padded to 16 bytes, the 14 header bytes, two 0x00.
// The table is rewritten where it stands, with 320 entries, and the bank byte
// names the block's bank.
#pragma once

#include <array>
#include <cstdint>

#include "rom/output_rom.h"
#include "rom/rom_image.h"
#include "rooms/room_data.h"
#include "tables/banked_lists.h"

constexpr std::uint32_t HEADER_TABLE_FIELD = 0xB5DD;
constexpr std::uint32_t HEADER_BANK_FIELD = 0xB5E7;
constexpr std::uint32_t HEADER_TABLE_SIZE = 2 * ROOM_COUNT;

using HeaderPointerTable = BankedPointerTable;

// A table of 296 entries holds the entries of rooms 0 to 295 only.
constexpr int SHORT_HEADER_TABLE_ENTRIES = 296;

void ReadHeaderPointerTable(RomImage& rom, HeaderPointerTable& table);
// Whether room 0's header lies right behind entry 295: the table then has 296 entries.
bool IsShortHeaderTable(const HeaderPointerTable& table);
void ReadRoomHeaders(RomImage& rom, RoomSet& rooms, const HeaderPointerTable& table);
void WriteRoomHeaders(OutputRom& out, const RoomSet& rooms);

// File offset of the header pointer table that the writer rewrites in place.
std::uint32_t HeaderTableOffset(RomImage& rom);
