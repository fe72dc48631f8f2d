// Room layer data: the objects of each room, found through the room layer
// pointer table.
//
//   0x874C  3 bytes  SNES address of the pointer table
//
// Entry i of the table (3 bytes) is the SNES address of room i's layer data.
// The data are three sections, each ended by the two bytes FF FF; when the
// byte after the third FF FF is 0xFF too, it belongs to the room. The pair is
// looked for at every byte position, and a pair once found is consumed whole.
// A room whose data show no third pair within 32768 steps (a step is one data
// byte or one of the first two pairs) keeps what was read.
//
// The writer puts one block per room into the relocated area: "Layer Room %d"
// at a multiple of 16 (only its characters are written), the layer data at
// the next multiple of 16, label and data inside one bank. Rooms that shared
// their data in the source get separate copies. The table is rewritten where
// it stands with 3-byte entries; the door pointer table (room_doors.h) follows
// the data when the ROM has one.
#pragma once

#include <array>
#include <cstdint>

#include "rom/output_rom.h"
#include "rom/rom_image.h"
#include "rooms/room_data.h"

constexpr std::uint32_t LAYER_TABLE_FIELD = 0x874C;
constexpr std::uint32_t LAYER_TABLE_SIZE = 3 * ROOM_COUNT;

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
