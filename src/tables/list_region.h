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

#include "rom/output_rom.h"
#include "rom/rom_image.h"
#include "rooms/room_data.h"

struct ListRegion {
  std::int64_t start = 0;
  std::int64_t end = 0;  // one past the last byte
  std::string romName;   // the ROM whose lists span it, for messages
};

// The region of the lists that a table of 16-bit `entries` sharing one
// `bank` byte leads to, holding the bytes of `list` in `rooms` as the
// readers read them from the ROM `romName`. An entry below 0x8000 stops the
// run: the bank has no ROM there, and the lists rewritten in the bank before
// (where the readers find such a list) would not be where the entries written
// for them lead. `kind` names the lists ("item") in that message.
ListRegion RegionOfLists(std::uint8_t bank, const std::array<std::uint16_t, ROOM_COUNT>& entries,
                         const RoomSet& rooms, ByteList RoomData::*list, const char* kind,
                         const std::string& romName);

struct PackedLists {
  ByteList bytes;
  std::array<std::uint32_t, ROOM_COUNT> offsets{};  // of each room's list inside `bytes`
};

PackedLists PackRoomLists(const RoomSet& rooms, ByteList RoomData::*list);

// What one kind of lists is called: in its writer's progress line, in the
// messages, and on the map's rows of the table and the lists.
struct ListNames {
  const char* writer;  // "WriteRoomSprites"
  const char* lists;   // "sprite lists"
  const char* tableRow;
  const char* listsRow;
};

// Packs the rooms' `list`s, prints "WRITER(): uiDataSize = %X" (the table
// and the packed lists), stops the run when the lists do not fit `region`,
// and writes each room's entry of the table at `table` (the low 16 bits of
// its list's SNES address) and the lists from the region's start. The
// position stays.
void WriteListsInPlace(OutputRom& out, const RoomSet& rooms, ByteList RoomData::*list,
                       const ListRegion& region, std::int64_t table, const ListNames& names);
