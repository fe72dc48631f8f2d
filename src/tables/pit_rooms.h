// Pit rooms: the rooms that have a pit, as one list of 16-bit room numbers.
//
//   0x394A6  2 bytes  last index: byte index of the list's last word (the
//                     list's length in bytes minus 2)
//   0x394AB  3 bytes  SNES address of the list's first word
//
// The list has no terminator; its length follows from the last index alone.
// A last index of 0x8000 or more (negative as a signed word; 0xFFFE is what
// an empty list stores) means an empty list. Words above 319 name no room and
// are ignored; order and repeats carry no meaning.
//
// The writer puts "Pits" padded to 16 bytes into the relocated area, followed
// by the pit rooms in ascending order, 2 bytes each, and points both fields at
// that list.
#pragma once

#include <cstdint>

#include "rom/output_rom.h"
#include "rom/rom_image.h"
#include "rooms/room_data.h"

constexpr std::uint32_t PIT_LAST_INDEX_FIELD = 0x394A6;
constexpr std::uint32_t PIT_LIST_FIELD = 0x394AB;

// The bytes of the list that a last index describes (0 for an empty list).
std::int64_t PitListSize(std::uint16_t lastIndex);

// Sets hasPit in all 320 records: 1 for the listed rooms, 0 for the others.
void ReadRoomPits(RomImage& rom, RoomSet& rooms);
void WriteRoomPits(OutputRom& out, const RoomSet& rooms);
