// Reading every kind of room data from one ROM, and writing the relocated
// area of the output: the marker text at 0x1F8000, then one block after the
// other, in an order that fixes the area's layout.
#pragma once

#include <cstdint>

#include "rom/rom_image.h"
#include "rooms/room_data.h"

constexpr std::int64_t EXPANDED_ROM_SIZE = 0x300000;
constexpr std::int64_t RELOCATION_START = 0x1F8000;
constexpr char MARKER_TEXT[] = "Here come's Tamberu's Room Transfer code";

void ReadAllRooms(RomImage& rom, RoomSet& rooms);
void WriteMarker(RomImage& out);
void WriteAllRooms(RomImage& out, const RoomSet& rooms);
