// The editable layout rewrites the sprite and item lists where the game keeps
// them, inside the region that the destination ROM's own lists span: from the
// lowest list start to the highest list end, cut at the end of the bank of
// that start, since every list of one table shares the table's bank byte.
//
// The lists go in room order, each new list right after the previous one,
// without labels or padding. A list with the same bytes as an earlier one is
// written once and shared, as the game's own data share their lists.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "rom/rom_image.h"
#include "rooms/room_data.h"

struct ListRegion {
  std::int64_t start = 0;
  std::int64_t end = 0;  // one past the last byte
  std::string romName;   // the ROM whose lists span it, for messages
};

// The region of lists that start at `starts` (file offsets, room order) and
// hold the bytes of `list` in `rooms`, as the readers read them.
ListRegion RegionOfLists(const std::array<std::int64_t, ROOM_COUNT>& starts, const RoomSet& rooms,
                         ByteList RoomData::*list, const std::string& romName);

struct PackedLists {
  ByteList bytes;
  std::array<std::uint32_t, ROOM_COUNT> offsets{};  // of each room's list inside `bytes`
};

PackedLists PackRoomLists(const RoomSet& rooms, ByteList RoomData::*list);

// Writes each room's entry of the table at `table` (2 bytes, the low 16 bits
// of its list's SNES address) and the packed lists from the region's start,
// and notes both for the map under `tableName` and `listsName`. The position
// is left behind the lists.
void WritePackedLists(RomImage& out, std::int64_t table, const ListRegion& region,
                      const PackedLists& packed, const char* tableName, const char* listsName);

// Stops the run, naming the region's ROM and the figures, when `packed` is
// larger than the region. `what` names the lists ("sprite lists").
void RequireListsFit(const ListRegion& region, const char* what, const PackedLists& packed);
