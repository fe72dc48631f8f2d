#include "tables/chests.h"

#include <algorithm>

#include "rom/block_output.h"
#include "rom/snes_address.h"

namespace {

constexpr std::uint16_t CHEST_FLAG_BIT = 0x8000;
constexpr std::uint16_t CHEST_ROOM_BITS = 0x7FFF;
constexpr std::uint8_t CHEST_FLAG = 0x80;

// The table of entries for rooms 0 to 319 in ascending order; each chest is
// written under the record's own room number.
ByteList BuildChestTable(const RoomSet& rooms) {
  ByteList table;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    const ByteList& chests = rooms[room].chests;
    for (std::size_t i = 0; i + 1 < chests.size(); i += 2) {
      table.push_back(static_cast<std::uint8_t>(room & 0xFF));
      table.push_back(static_cast<std::uint8_t>(chests[i] | (room >> 8)));
      table.push_back(chests[i + 1]);
    }
  }
  return table;
}

void WriteAddressField(RomImage& out, std::uint32_t field, std::uint32_t address) {
  Seek(out, field);
  WriteLong(out, address);
}

}  // namespace

void ReadRoomChests(RomImage& rom, RoomSet& rooms) {
  SetReading(rom, "chest count");
  Seek(rom, CHEST_COUNT_FIELD);
  const std::uint16_t count = ReadWord(rom);
  SetReading(rom, "chest table address");
  Seek(rom, CHEST_TABLE_FIELD);
  Seek(rom, SnesToPc(ReadLong(rom)));
  for (std::uint32_t index = 0; index < count; index += CHEST_ENTRY_SIZE) {
    SetReading(rom, "chest table entry at byte", index);
    const std::uint16_t roomWord = ReadWord(rom);
    const std::uint8_t item = ReadByte(rom);
    const int room = roomWord & CHEST_ROOM_BITS;
    if (room >= ROOM_COUNT) {
      continue;
    }
    ByteList& chests = rooms[room].chests;
    chests.push_back((roomWord & CHEST_FLAG_BIT) != 0 ? CHEST_FLAG : 0x00);
    chests.push_back(item);
  }
}

void WriteRoomChests(RomImage& out, const RoomSet& rooms, std::uint32_t reservedSize) {
  const ByteList label = LabelBlock("Chests");
  const ByteList table = BuildChestTable(rooms);
  const auto uiDataSize = static_cast<std::uint32_t>(table.size());

  AlignTo16(out);
  Report(out, Format("WriteRoomChests(): uiDataSize = %X\n", uiDataSize));
  const std::uint32_t space = std::max(uiDataSize, reservedSize);
  EnsureNoBankBreach(out, static_cast<std::uint32_t>(label.size()) + space);

  const std::int64_t blockStart = Tell(out);
  WriteBytes(out, label);
  const std::int64_t tableStart = Tell(out);
  const std::uint32_t address = PcToSnes(static_cast<std::uint32_t>(tableStart));
  Seek(out, CHEST_COUNT_FIELD);
  WriteWord(out, static_cast<std::uint16_t>(uiDataSize));
  WriteAddressField(out, CHEST_TABLE_FIELD, address);
  WriteAddressField(out, CHEST_TABLE_COPY_FIELD, address);
  WriteAddressField(out, CHEST_ITEM_FIELD, address + 2);
  Seek(out, tableStart);
  WriteBytes(out, table);
  Seek(out, tableStart + space);
  RecordBlock(out, BlockKind::Chests, blockStart, Tell(out));
}
