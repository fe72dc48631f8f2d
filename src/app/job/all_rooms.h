// Reading every kind of room data from one ROM, and writing the relocated
// area of the output: the marker text at the area's start, then one block
// after the other, in an order that fixes the area's layout.
#pragma once

#include <cstdio>

#include "app/job/output_layout.h"
#include "rom/output_rom.h"
#include "rom/rom_image.h"
#include "rooms/room_data.h"
#include "tables/room_headers.h"
#include "tables/room_items.h"
#include "tables/room_layers.h"
#include "tables/room_sprites.h"

// The pointer tables through which the rooms were read.
struct RoomPointerTables {
  HeaderPointerTable headers;
  LayerPointerTable layers;
  SpritePointerTable sprites;
  ItemPointerTable items;
};

// Reads quietly: the loader's line (ReadSpritePointerTable) is not printed.
void ReadAllRooms(RomImage& rom, RoomSet& rooms);
// The same, handing back the pointer tables and printing the loader's line on
// `console` (nullptr: quiet). For a ROM that is to take the editable layout,
// its fitness for it is checked right after its game code.
void ReadAllRooms(RomImage& rom, RoomSet& rooms, RoomPointerTables& tables,
                  LayoutKind kind = LayoutKind::Classic, std::FILE* console = nullptr);
// The editable layout's list regions of a destination read through `tables` into `rooms`.
void FindListRegions(const RomImage& destination, const RoomPointerTables& tables,
                     const RoomSet& rooms, OutputLayout& layout);
// Writes the marker text at the area's start and leaves the position behind it.
void WriteMarker(OutputRom& out, const OutputLayout& layout);
void WriteAllRooms(OutputRom& out, const RoomSet& rooms, const OutputLayout& layout = {});
