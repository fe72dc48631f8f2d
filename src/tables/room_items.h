// Room items: one item list per room, found through the room item pointer
// table.
//
//   0xE6C2  3 bytes  SNES address of the pointer table
//   0xE6C8  1 byte   bank of every item list
//
// Entry i of the table (2 bytes) is the low 16 bits of room i's list address.
// A list is a run of 3-byte item entries ended by FF FF; the readers look for
// the pair at every byte position and end the list where list_ends.h says.
//
// The writer puts one block into the relocated area, inside one bank: per
// room "Items Room %d" padded to 16 bytes, then the list padded to a multiple
// of 16. The table is rewritten where it stands and the bank byte names the
// block's bank.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "rom/output_rom.h"
#include "rom/rom_image.h"
#include "rooms/room_data.h"
#include "tables/banked_lists.h"
#include "tables/list_region.h"

constexpr std::uint32_t ITEM_TABLE_FIELD = 0xE6C2;
constexpr std::uint32_t ITEM_BANK_FIELD = 0xE6C8;
constexpr std::uint32_t ITEM_TABLE_SIZE = 2 * ROOM_COUNT;
constexpr std::size_t ITEM_ENTRY_SIZE = 3;

using ItemPointerTable = BankedPointerTable;

void ReadItemPointerTable(RomImage& rom, ItemPointerTable& table);
void ReadRoomItems(RomImage& rom, RoomSet& rooms, const ItemPointerTable& table);
void WriteRoomItems(OutputRom& out, const RoomSet& rooms);

// The editable layout: the table rewritten where it stands, the lists packed
// into `region`, the span of the destination's own lists; the bank byte and
// the table address stay. The position stays.
void WriteRoomItemsInPlace(OutputRom& out, const RoomSet& rooms, const ListRegion& region);
// The span of the lists read through `table` into `rooms`.
ListRegion ItemListRegion(const ItemPointerTable& table, const RoomSet& rooms,
                          const std::string& romName);
// Stops the run when the lists' bank byte differs from the table's bank.
void RefuseItemBankApartFromTable(RomImage& rom);
// The bytes of one bank that the item block leaves for the padded lists
// beside the 320 per-room labels.
std::int64_t ItemListRoom();

// File offset of the item pointer table that the writer rewrites in place.
std::uint32_t ItemTableOffset(RomImage& rom);
