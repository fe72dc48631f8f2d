// Reading every kind of room data from one ROM, and writing the relocated
// area of the output: the marker text at the area's start, then one block
// after the other, in an order that fixes the area's layout.
#pragma once

#include "app/job/output_layout.h"
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

void ReadAllRooms(RomImage& rom, RoomSet& rooms);
// The same, handing back the pointer tables. For a ROM that is to take the
// editable layout, its fitness for it is checked right after its game code.
void ReadAllRooms(RomImage& rom, RoomSet& rooms, RoomPointerTables& tables,
                  LayoutKind kind = LayoutKind::Classic);
// The editable layout's list regions of a destination read through `tables` into `rooms`.
void FindListRegions(const RomImage& destination, const RoomPointerTables& tables,
                     const RoomSet& rooms, OutputLayout& layout);
// Writes the marker text at the area's start and leaves the position behind it.
void WriteMarker(RomImage& out, const OutputLayout& layout);
void WriteAllRooms(RomImage& out, const RoomSet& rooms, const OutputLayout& layout = {});
