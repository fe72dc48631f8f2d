// Reading every kind of room data from one ROM, and writing the relocated
// area of the output: the marker text at 0x1F8000, then one block after the
// other, in an order that fixes the area's layout.
#pragma once

#include <cstdint>

#include "rom/rom_image.h"
#include "rooms/room_data.h"
#include "tables/list_region.h"
#include "tables/room_headers.h"
#include "tables/room_items.h"
#include "tables/room_layers.h"
#include "tables/room_sprites.h"

constexpr std::int64_t EXPANDED_ROM_SIZE = 0x300000;
constexpr std::int64_t RELOCATION_START = 0x1F8000;
constexpr char MARKER_TEXT[] = "Here come's Tamberu's Room Transfer code";

// Classic: every kind of room data in the relocated area, the sprites behind
// this tool's loader. Editable: the sprite lists, item lists and torch table
// rewritten where the game and the dungeon editors read them, the rest in
// the relocated area with room for the editors' limits.
enum class LayoutKind { Classic, Editable };

struct OutputLayout {
  std::int64_t base = RELOCATION_START;  // where the relocated area starts
  LayoutKind kind = LayoutKind::Classic;
  // Editable only: the spans of the destination's own lists, found when it is read.
  ListRegion spriteLists;
  ListRegion itemLists;
};

// The pointer tables through which one ROM's rooms were read.
struct RoomPointerTables {
  HeaderPointerTable headers;
  LayerPointerTable layers;
  SpritePointerTable sprites;
  ItemPointerTable items;
};

void ReadAllRooms(RomImage& rom, RoomSet& rooms);
// The same, handing back the pointer tables. For a ROM that is to take the
// editable layout, its fitness for it is checked right after its game code.
void ReadAllRooms(RomImage& rom, RoomSet& rooms, RoomPointerTables& tables, LayoutKind kind);
// The editable layout's lists regions of a destination read through `tables` into `rooms`.
void FindListRegions(const RomImage& destination, const RoomPointerTables& tables,
                     const RoomSet& rooms, OutputLayout& layout);
void WriteMarker(RomImage& out);
void WriteAllRooms(RomImage& out, const RoomSet& rooms, const OutputLayout& layout = {});
