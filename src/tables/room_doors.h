// The door pointer table: 320 entries of 3 bytes, entry i the SNES address of
// room i's door list inside its layer data (right after the F0 FF that opens
// the list). The game's room loader reads it with four load-long-indexed
// instructions (opcode 0xBF):
//
//   0xB6C5  LDA D+1,X     0xB6CB  LDA D,X
//   0xB7F7  LDA D+1,X     0xB7FD  LDA D,X
//
// A ROM has the table only when all four are there with these operands; the
// table then lies at D. The door offset of a room is where its entry points
// inside the room's layer data, kept with the room, so that the entry can
// follow the layer data when they move. Entries that point elsewhere are left
// as they are.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "rom/rom_image.h"
#include "rooms/room_data.h"

constexpr std::uint32_t DOOR_TABLE_SIZE = 3 * ROOM_COUNT;
// One door entry of a layer's door list.
constexpr std::size_t DOOR_ENTRY_SIZE = 2;

// One of the game's loads from the door table: the opcode's offset and what
// its operand adds to the table address.
struct DoorTableLoad {
  std::uint32_t opcodeOffset;
  std::uint32_t addend;
};

inline constexpr std::array<DoorTableLoad, 4> DOOR_TABLE_LOADS = {{
    {0xB6C5, 1},
    {0xB6CB, 0},
    {0xB7F7, 1},
    {0xB7FD, 0},
}};
// The opcode and its 3-byte operand.
constexpr std::int64_t DOOR_TABLE_LOAD_SIZE = 4;

// File offset of the door pointer table, when the ROM has one.
std::optional<std::uint32_t> DoorTableOffset(RomImage& rom);

// Sets every room's door offset from the ROM's door pointer table; without a
// table no room has one. `layerOffsets` are the file offsets of the rooms'
// layer data, whose `layerData` are already read.
void ReadRoomDoors(RomImage& rom, RoomSet& rooms,
                   const std::array<std::uint32_t, ROOM_COUNT>& layerOffsets);

// Points entry `room` of the door table at `tableOffset` at the room's door
// list, its layer data now lying at `layerStart`; a room without a door
// offset keeps its entry. The position is left where it was.
void WriteRoomDoor(RomImage& out, std::uint32_t tableOffset, int room, std::int64_t layerStart,
                   const RoomData& data);
