// Room messages: one 16-bit message word per room, in a table in bank 0x07.
//
//   0x3B500  2 bytes  low 16 bits of the table's SNES address (bank 0x07)
//
// The table holds 320 words, room 0 first, with no count and no terminator.
//
// The writer does not move the table: it rewrites the 640 bytes where the
// output ROM has them and leaves 0x3B500 alone. Into the relocated area it
// puts only a note of where the table is: "Messages" padded to 16 bytes, then
// "->Look at %X" with the table's file offset, padded to 16 bytes.
#pragma once

#include <cstdint>

#include "rom/output_rom.h"
#include "rom/rom_image.h"
#include "rooms/room_data.h"

constexpr std::uint32_t MESSAGE_TABLE_FIELD = 0x3B500;
constexpr std::uint32_t MESSAGE_TABLE_BANK = 0x07;
constexpr std::uint32_t MESSAGE_TABLE_SIZE = 2 * ROOM_COUNT;

void ReadRoomMessages(RomImage& rom, RoomSet& rooms);
void WriteRoomMessages(OutputRom& out, const RoomSet& rooms);

// File offset of the message table that the writer rewrites in place.
std::uint32_t MessageTableOffset(RomImage& rom);
