#include "tables/room_headers.h"

#include "rom/block_output.h"
#include "rom/snes_address.h"

namespace {

constexpr BankedTableFields HEADER_TABLE_FIELDS = {HEADER_BANK_FIELD, "room header bank",
                                                   HEADER_TABLE_FIELD, "room header table address",
                                                   "room header pointer table"};

std::span<const std::uint8_t> HeaderBytes(const RoomData& room) { return room.header; }

}  // namespace

std::uint32_t HeaderTableOffset(RomImage& rom) {
  return TableOffsetAt(rom, HEADER_TABLE_FIELD, "room header table address");
}

void ReadHeaderPointerTable(RomImage& rom, HeaderPointerTable& table) {
  ReadBankedTable(rom, HEADER_TABLE_FIELDS, SHORT_HEADER_TABLE_ENTRIES, table);
  if (IsShortHeaderTable(table)) {
    // Rooms 296 to 319 of a short table share room 295's entry.
    for (int room = SHORT_HEADER_TABLE_ENTRIES; room < ROOM_COUNT; ++room) {
      table.entries[room] = table.entries[SHORT_HEADER_TABLE_ENTRIES - 1];
    }
    return;
  }
  ReadTableEntries(rom, table, SHORT_HEADER_TABLE_ENTRIES, ROOM_COUNT,
                   HEADER_TABLE_FIELDS.tableName);
}

bool IsShortHeaderTable(const HeaderPointerTable& table) {
  return static_cast<std::int64_t>(BankedOffset(table, table.entries[0])) ==
         static_cast<std::int64_t>(SnesToPc(table.tableAddress)) + 2 * SHORT_HEADER_TABLE_ENTRIES;
}

void ReadRoomHeaders(RomImage& rom, RoomSet& rooms, const HeaderPointerTable& table) {
  for (int room = 0; room < ROOM_COUNT; ++room) {
    SetReading(rom, "header of room", room);
    Seek(rom, BankedOffset(table, table.entries[room]));
    ReadBytes(rom, rooms[room].header.data(), rooms[room].header.size());
  }
}

void WriteRoomHeaders(OutputRom& out, const RoomSet& rooms) {
  const std::uint32_t tableOffset = HeaderTableOffset(out);
  const RoomRecords records = SizeRoomRecords(rooms, "Header Room %d", HeaderBytes);
  const std::uint32_t uiDataSize = records.size;

  const std::int64_t blockStart = PlaceBlock(out, "WriteRoomHeaders", uiDataSize, uiDataSize);
  WriteByteAt(out, HEADER_BANK_FIELD, static_cast<std::uint8_t>(blockStart / BANK_SIZE));
  WriteRoomRecords(out, rooms, records, HeaderBytes, tableOffset);
  RecordBlock(out, BlockKind::RoomHeaders, blockStart, Tell(out));
}
