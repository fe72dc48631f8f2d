#include "tables/room_items.h"

#include <vector>

#include "rom/block_output.h"
#include "rom/failure.h"
#include "rom/snes_address.h"

namespace {

constexpr int ITEM_BYTE_BUDGET = 32768;

std::uint32_t ItemListOffset(const ItemPointerTable& table, std::uint16_t entry) {
  return SnesToPc((static_cast<std::uint32_t>(table.bank) << 16) + entry);
}

constexpr std::uint8_t ZEROS[16] = {};

RoomLabel ItemLabel(int room) {
  return FormatRoomLabel("Items Room %d", static_cast<unsigned>(room));
}

std::size_t PaddingTo16(std::size_t size) { return (16 - size % 16) % 16; }

// Reads one room's item list from the position: the bytes passed over, up
// to and with the first FF FF, looked for at every byte within the budget,
// taken from the image in one piece at the end and appended to `itemData`.
void ScanItemList(RomImage& rom, ByteList& itemData) {
  const std::int64_t start = Tell(rom);
  const std::int64_t pairsEnd = ImageSize(rom) - 1;  // where no pair can start
  if (start < 0 || start >= pairsEnd) {
    RequireInside(rom, start, 2);
  }
  const std::int64_t budgetEnd = start + ITEM_BYTE_BUDGET;
  const std::int64_t pair = FindEndPair(rom, start, std::min(budgetEnd, pairsEnd));
  std::int64_t end = budgetEnd;
  if (pair < budgetEnd) {
    if (pair == pairsEnd) {
      RequireInside(rom, pair, 2);
    }
    end = pair + 2;
  }
  Seek(rom, end);
  AppendImageBytes(itemData, rom, start, end);
}

}  // namespace

std::int64_t ItemListRoom() {
  std::int64_t room = BANK_SIZE;
  for (int index = 0; index < ROOM_COUNT; ++index) {
    room -= static_cast<std::int64_t>(LabelBlockSize(ItemLabel(index)));
  }
  return room;
}

std::uint32_t ItemTableOffset(RomImage& rom) {
  SetReading(rom, "item table address");
  Seek(rom, ITEM_TABLE_FIELD);
  return SnesToPc(ReadLong(rom));
}

void ReadItemPointerTable(RomImage& rom, ItemPointerTable& table) {
  SetReading(rom, "item bank");
  Seek(rom, ITEM_BANK_FIELD);
  table.bank = ReadByte(rom);
  table.tableAddress = 0;
  SetReading(rom, "item table address");
  Seek(rom, ITEM_TABLE_FIELD);
  table.tableAddress = ReadLong(rom);
  SetReading(rom, "item pointer table");
  Seek(rom, SnesToPc(table.tableAddress));
  for (std::uint16_t& entry : table.entries) {
    entry = ReadWord(rom);
  }
}

void ReadRoomItems(RomImage& rom, RoomSet& rooms, const ItemPointerTable& table) {
  for (int room = 0; room < ROOM_COUNT; ++room) {
    const auto index = static_cast<std::size_t>(room);
    SetReading(rom, "item list of room", room);
    Seek(rom, ItemListOffset(table, table.entries.at(index)));
    ScanItemList(rom, rooms[index].itemData);
  }
}

void WriteRoomItems(RomImage& out, const RoomSet& rooms) {
  const std::int64_t start = Tell(out);
  const std::uint32_t tableOffset = ItemTableOffset(out);

  // The lists are written from the room set with their padding, not copied.
  std::vector<RoomLabel> labels;
  labels.reserve(ROOM_COUNT);
  std::uint32_t uiDataSize = 0;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    labels.push_back(ItemLabel(room));
    const std::size_t list = rooms[static_cast<std::size_t>(room)].itemData.size();
    uiDataSize +=
        static_cast<std::uint32_t>(LabelBlockSize(labels.back()) + list + PaddingTo16(list));
  }

  SetReading(out, "item block");
  Seek(out, start);
  AlignTo16(out);
  Report(out, Format("WriteRoomItems(): uiDataSize = %X\n", uiDataSize));
  EnsureNoBankBreach(out, uiDataSize);

  const std::int64_t blockStart = Tell(out);
  Seek(out, ITEM_BANK_FIELD);
  WriteByte(out, static_cast<std::uint8_t>(blockStart / BANK_SIZE));
  Seek(out, blockStart);
  for (std::size_t room = 0; room < labels.size(); ++room) {
    WriteLabelBlock(out, labels[room]);
    const std::int64_t fieldStart = Tell(out);
    Seek(out, static_cast<std::int64_t>(tableOffset) + 2 * static_cast<std::int64_t>(room));
    WriteWord(out, static_cast<std::uint16_t>(PcToSnes(static_cast<std::uint32_t>(fieldStart))));
    Seek(out, fieldStart);
    const ByteList& list = rooms[room].itemData;
    WriteBytes(out, list);
    WriteBytes(out, ZEROS, PaddingTo16(list.size()));
  }
  RecordBlock(out, BlockKind::RoomItems, blockStart, Tell(out));
}

// The editable layout: the dungeon editors read the lists in the bank of the
// table's address, so the lists stay in that bank and the bank byte stays.

void RefuseItemBankApartFromTable(RomImage& rom) {
  SetReading(rom, "item bank");
  Seek(rom, ITEM_BANK_FIELD);
  const std::uint8_t bank = ReadByte(rom);
  SetReading(rom, "item table address");
  Seek(rom, ITEM_TABLE_FIELD);
  const auto tableBank = static_cast<std::uint8_t>(ReadLong(rom) >> 16);
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
  return RegionOfLists(table.bank, table.entries, rooms, &RoomData::itemData, romName);
}

void WriteRoomItemsInPlace(RomImage& out, const RoomSet& rooms, const ListRegion& region) {
  const std::int64_t position = Tell(out);
  const std::int64_t table = ItemTableOffset(out);
  Seek(out, position);
  WriteListsInPlace(out, rooms, &RoomData::itemData, region, table,
                    {"WriteRoomItems", "item lists", "Item pointer table", "Item lists"});
}
