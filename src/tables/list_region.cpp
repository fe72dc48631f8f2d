#include "tables/list_region.h"

#include <algorithm>
#include <vector>

#include "rom/failure.h"
#include "rom/format.h"
#include "rom/snes_address.h"

ListRegion RegionOfLists(std::uint8_t bank, const std::array<std::uint16_t, ROOM_COUNT>& entries,
                         const RoomSet& rooms, ByteList RoomData::*list, const char* kind,
                         const std::string& romName) {
  std::array<std::int64_t, ROOM_COUNT> starts{};
  for (std::size_t room = 0; room < starts.size(); ++room) {
    if (entries[room] < LOWEST_ROM_ADDRESS) {
      StopRun(
          Format("%s: the %s list of room %d is pointed at 0x%04X in bank 0x%02X, below "
                 "0x8000, where the bank holds no ROM; the %s lists cannot be kept "
                 "editable.\n",
                 romName.c_str(), kind, static_cast<int>(room), entries[room], bank, kind));
    }
    starts[room] = SnesToPc((static_cast<std::uint32_t>(bank) << 16) + entries[room]);
  }
  ListRegion region;
  region.romName = romName;
  region.start = starts[0];
  region.end = starts[0];
  for (std::size_t room = 0; room < starts.size(); ++room) {
    const auto size = static_cast<std::int64_t>((rooms[room].*list).size());
    region.start = std::min(region.start, starts[room]);
    region.end = std::max(region.end, starts[room] + size);
  }
  const std::int64_t bankEnd = (region.start / BANK_SIZE + 1) * BANK_SIZE;
  region.end = std::min(region.end, bankEnd);
  return region;
}

PackedLists PackRoomLists(const RoomSet& rooms, ByteList RoomData::*list) {
  PackedLists packed;
  std::vector<std::size_t> firstRooms;  // the rooms whose lists were written, in order
  for (std::size_t room = 0; room < packed.offsets.size(); ++room) {
    const ByteList& bytes = rooms[room].*list;
    const auto same = std::find_if(firstRooms.begin(), firstRooms.end(),
                                   [&](std::size_t first) { return rooms[first].*list == bytes; });
    if (same != firstRooms.end()) {
      packed.offsets[room] = packed.offsets[*same];
      continue;
    }
    packed.offsets[room] = static_cast<std::uint32_t>(packed.bytes.size());
    packed.bytes.insert(packed.bytes.end(), bytes.begin(), bytes.end());
    firstRooms.push_back(room);
  }
  return packed;
}

namespace {

void RequireListsFit(const ListRegion& region, const char* what, const PackedLists& packed) {
  const auto size = static_cast<std::int64_t>(packed.bytes.size());
  if (size > region.end - region.start) {
    StopRun(
        Format("%s: the %s need 0x%llX bytes but the region this ROM's own %s span, "
               "0x%llX-0x%llX, holds 0x%llX; they do not fit where the game and the "
               "dungeon editors read them.\n",
               region.romName.c_str(), what, static_cast<long long>(size), what,
               static_cast<long long>(region.start), static_cast<long long>(region.end - 1),
               static_cast<long long>(region.end - region.start)));
  }
}

void WritePackedLists(OutputRom& out, std::int64_t table, const ListRegion& region,
                      const PackedLists& packed, const ListNames& names) {
  for (std::size_t room = 0; room < packed.offsets.size(); ++room) {
    Seek(out, table + 2 * static_cast<std::int64_t>(room));
    const auto list = static_cast<std::uint32_t>(region.start + packed.offsets[room]);
    WriteWord(out, static_cast<std::uint16_t>(PcToSnes(list) & 0xFFFF));
  }
  Seek(out, region.start);
  WriteBytes(out, packed.bytes);
  RecordRegion(out, names.tableRow, table, 2 * packed.offsets.size(), 2 * ROOM_COUNT);
  RecordRegion(out, names.listsRow, region.start, packed.bytes.size(), region.end - region.start);
}

}  // namespace

void WriteListsInPlace(OutputRom& out, const RoomSet& rooms, ByteList RoomData::*list,
                       const ListRegion& region, std::int64_t table, const ListNames& names) {
  const PackedLists packed = PackRoomLists(rooms, list);
  const auto uiDataSize = static_cast<std::uint32_t>(2 * ROOM_COUNT + packed.bytes.size());
  Report(out, Format("%s(): uiDataSize = %X\n", names.writer, uiDataSize));
  RequireListsFit(region, names.lists, packed);
  const std::int64_t position = Tell(out);
  WritePackedLists(out, table, region, packed, names);
  Seek(out, position);
}
