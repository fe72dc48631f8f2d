// Room layer data: the objects of each room, found through the room layer
// pointer table.
//
//   0x874C  3 bytes  SNES address of the pointer table
//
// Entry i of the table (3 bytes) is the SNES address of room i's layer data:
// the two floor bytes, then three sections of 3-byte objects, each ended by
// the two bytes FF FF; in a section, F0 FF in an object's place starts its
// door list of 2-byte door entries, which the FF FF ends. When the byte after
// the third FF FF is 0xFF too, it belongs to the room. The readers look for
// the pairs at every byte position and end the data where list_ends.h says.
//
// The writer puts one block per room into the relocated area: "Layer Room %d"
// at a multiple of 16 (only its characters are written), the layer data at
// the next multiple of 16, label and data inside one bank. Rooms that shared
// their data in the source get separate copies. The table is rewritten where
// it stands with 3-byte entries; the door pointer table (room_doors.h) follows
// the data when the ROM has one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "rom/output_rom.h"
#include "rom/rom_image.h"
#include "rooms/room_data.h"

constexpr std::uint32_t LAYER_TABLE_FIELD = 0x874C;
constexpr std::uint32_t LAYER_TABLE_SIZE = 3 * ROOM_COUNT;
constexpr std::size_t LAYER_FLOOR_SIZE = 2;
constexpr std::size_t LAYER_OBJECT_SIZE = 3;
// F0 FF in an object's place: the section's door list follows.
constexpr std::uint8_t DOOR_LIST_START_BYTE = 0xF0;

struct LayerPointerTable {
  std::uint32_t tableAddress = 0;
  std::array<std::uint32_t, ROOM_COUNT> pointers{};
};

void ReadLayerPointerTable(RomImage& rom, LayerPointerTable& table);
// Also reads every room's door offset when the ROM has a door pointer table.
void ReadRoomLayers(RomImage& rom, RoomSet& rooms, const LayerPointerTable& table);
// Also repoints the door pointer table of the output when it has one. Prints nothing.
void WriteRoomLayers(OutputRom& out, const RoomSet& rooms);

// File offset of the layer pointer table that the writer rewrites in place.
std::uint32_t LayerTableOffset(RomImage& rom);
