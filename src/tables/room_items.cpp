#include "tables/room_items.h"

#include <vector>

#include "rom/block_output.h"
#include "rom/failure.h"
#include "rom/format.h"
#include "rom/snes_address.h"
#include "tables/list_ends.h"

namespace {

constexpr BankedTableFields ITEM_TABLE_FIELDS = {ITEM_BANK_FIELD, "item bank", ITEM_TABLE_FIELD,
                                                 "item table address", "item pointer table"};

constexpr const char* ITEM_LABEL_FORMAT = "Items Room %d";

std::span<const std::uint8_t> ItemBytes(const RoomData& room) { return room.itemData; }

// Reads one room's item list from the position (list_ends.h says where it
// ends), taken from the image in one piece and appended to `itemData`.
void ScanItemList(RomImage& rom, ByteList& itemData) {
  const std::int64_t start = Tell(rom);
  const ListEnd end = ItemListEnd(BytesFrom(rom, start, 2));
  if (end.ending == ListEnding::OutOfBytes) {
    RequireInside(rom, start + static_cast<std::int64_t>(end.size),
                  static_cast<std::int64_t>(end.needed));
  }
  const std::int64_t stop = start + static_cast<std::int64_t>(end.size);
  Seek(rom, stop);
  AppendImageBytes(itemData, rom, start, stop);
}

}  // namespace

std::int64_t ItemListRoom() { return BANK_SIZE - AllLabelsSize(ITEM_LABEL_FORMAT); }

std::uint32_t ItemTableOffset(RomImage& rom) {
  return TableOffsetAt(rom, ITEM_TABLE_FIELD, "item table address");
}

void ReadItemPointerTable(RomImage& rom, ItemPointerTable& table) {
  ReadBankedTable(rom, ITEM_TABLE_FIELDS, ROOM_COUNT, table);
}

void ReadRoomItems(RomImage& rom, RoomSet& rooms, const ItemPointerTable& table) {
  for (int room = 0; room < ROOM_COUNT; ++room) {
    const auto index = static_cast<std::size_t>(room);
    SetReading(rom, "item list of room", room);
    Seek(rom, BankedOffset(table, table.entries.at(index)));
    ScanItemList(rom, rooms[index].itemData);
  }
}

void WriteRoomItems(OutputRom& out, const RoomSet& rooms) {
  const std::uint32_t tableOffset = ItemTableOffset(out);
  // The lists are written from the room set with their padding, not copied.
  const RoomRecords records = SizeRoomRecords(rooms, ITEM_LABEL_FORMAT, ItemBytes);
  const std::uint32_t uiDataSize = records.size;

  SetReading(out, "item block");
  const std::int64_t blockStart = PlaceBlock(out, "WriteRoomItems", uiDataSize, uiDataSize);
  WriteByteAt(out, ITEM_BANK_FIELD, static_cast<std::uint8_t>(blockStart / BANK_SIZE));
  WriteRoomRecords(out, rooms, records, ItemBytes, tableOffset);
  RecordBlock(out, BlockKind::RoomItems, blockStart, Tell(out));
}

// The editable layout: the dungeon editors read the lists in the bank of the
// table's address, so the lists stay in that bank and the bank byte stays.

void RefuseItemBankApartFromTable(RomImage& rom) {
  const std::uint8_t bank = ReadByteAt(rom, ITEM_BANK_FIELD, "item bank");
  const auto tableBank =
      static_cast<std::uint8_t>(ReadLongAt(rom, ITEM_TABLE_FIELD, "item table address") >> 16);
  if (bank != tableBank) {
    StopRun(
        Format("%s: the item lists' bank byte at offset 0x%X holds 0x%02X, but the item "
               "pointer table (address at offset 0x%X) lies in bank 0x%02X, where the "
               "dungeon editors read the lists; the items cannot be kept editable.\n",
               rom.name.c_str(), ITEM_BANK_FIELD, bank, ITEM_TABLE_FIELD, tableBank));
  }
}

ListRegion ItemListRegion(const ItemPointerTable& table, const RoomSet& rooms,
                          const std::string& romName) {
  return RegionOfLists(table.bank, table.entries, rooms, &RoomData::itemData, "item", romName);
}

void WriteRoomItemsInPlace(OutputRom& out, const RoomSet& rooms, const ListRegion& region) {
  const std::int64_t table = ItemTableOffset(out);
  WriteListsInPlace(out, rooms, &RoomData::itemData, region, table,
                    {"WriteRoomItems", "item lists", "Item pointer table", "Item lists"});
}
