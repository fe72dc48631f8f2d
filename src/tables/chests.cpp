#include "tables/chests.h"

#include <algorithm>

#include "rom/block_output.h"
#include "rom/snes_address.h"

namespace {

constexpr std::uint16_t CHEST_FLAG_BIT = 0x8000;
constexpr std::uint16_t CHEST_ROOM_BITS = 0x7FFF;

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

// Places the label and `table` in one block of `space` bytes after the label
// and points the game's fields at the table, whose first `uiDataSize` bytes
// are the entries; bytes of the space after `table` are not written.
void WriteChestBlock(OutputRom& out, const ByteList& table, std::uint32_t uiDataSize,
                     std::uint32_t space) {
  const ByteList label = LabelBlock("Chests");
  const std::int64_t blockStart = PlaceBlock(out, "WriteRoomChests", uiDataSize,
                                             static_cast<std::uint32_t>(label.size()) + space);
  WriteBytes(out, label);
  const std::int64_t tableStart = Tell(out);
  const std::uint32_t address = PcToSnes(static_cast<std::uint32_t>(tableStart));
  WriteWordAt(out, CHEST_COUNT_FIELD, static_cast<std::uint16_t>(uiDataSize));
  WriteLongAt(out, CHEST_TABLE_FIELD, address);
  WriteLongAt(out, CHEST_TABLE_COPY_FIELD, address);
  WriteLongAt(out, CHEST_ITEM_FIELD, address + 2);
  WriteBytes(out, table);
  Seek(out, tableStart + space);
  RecordBlock(out, BlockKind::Chests, blockStart, Tell(out));
}

}  // namespace

void ReadRoomChests(RomImage& rom, RoomSet& rooms) {
  const std::uint16_t count = ReadWordAt(rom, CHEST_COUNT_FIELD, "chest count");
  Seek(rom, SnesToPc(ReadLongAt(rom, CHEST_TABLE_FIELD, "chest table address")));
  for (std::uint32_t index = 0; index < count; index += CHEST_ENTRY_SIZE) {
    SetReading(rom, "chest table entry at byte", index);
    const std::uint16_t roomWord = ReadWord(rom);
    const std::uint8_t item = ReadByte(rom);
    const int room = roomWord & CHEST_ROOM_BITS;
    if (room >= ROOM_COUNT) {
      continue;
    }
    ByteList& chests = rooms[room].chests;
    chests.push_back((roomWord & CHEST_FLAG_BIT) != 0 ? BIG_CHEST_FLAG : 0x00);
    chests.push_back(item);
  }
}

void WriteRoomChests(OutputRom& out, const RoomSet& rooms) {
  const ByteList table = BuildChestTable(rooms);
  const auto uiDataSize = static_cast<std::uint32_t>(table.size());
  WriteChestBlock(out, table, uiDataSize, uiDataSize);
}

void WriteRoomChestsForEditors(OutputRom& out, const RoomSet& rooms) {
  ByteList table = BuildChestTable(rooms);
  const auto uiDataSize = static_cast<std::uint32_t>(table.size());
  table.resize(static_cast<std::size_t>(uiDataSize) * EDITOR_CHEST_READ_FACTOR,
               EDITOR_CHEST_FILLER);
  WriteChestBlock(out, table, uiDataSize,
                  std::max(static_cast<std::uint32_t>(table.size()), EDITOR_CHEST_SPACE));
}
