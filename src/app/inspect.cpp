#include "app/inspect.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "app/job/all_rooms.h"
#include "app/map.h"
#include "rom/format.h"
#include "rom/snes_address.h"
#include "tables/chests.h"
#include "tables/pit_rooms.h"
#include "tables/pushable_blocks.h"
#include "tables/room_doors.h"
#include "tables/room_messages.h"
#include "tables/torches.h"

namespace {

using RoomOffsets = std::array<std::int64_t, ROOM_COUNT>;
using RoomPartners = std::array<int, ROOM_COUNT>;  // -1: the room shares with none

using RomTables = RoomPointerTables;

std::int64_t OffsetOf(std::uint32_t address) { return SnesToPc(address); }

std::int64_t BankedOffset(std::uint8_t bank, std::uint16_t entry) {
  return OffsetOf((static_cast<std::uint32_t>(bank) << 16) + entry);
}

struct RoomPointers {
  RoomOffsets header{};
  RoomOffsets layer{};
  RoomOffsets sprite{};
  RoomOffsets item{};
};

RoomPointers PointersOf(const RomTables& tables) {
  RoomPointers pointers;
  for (std::size_t room = 0; room < ROOM_COUNT; ++room) {
    pointers.header.at(room) = BankedOffset(tables.headers.bank, tables.headers.entries.at(room));
    pointers.layer.at(room) = OffsetOf(tables.layers.pointers.at(room));
    pointers.sprite.at(room) = BankedOffset(tables.sprites.bank, tables.sprites.entries.at(room));
    pointers.item.at(room) = BankedOffset(tables.items.bank, tables.items.entries.at(room));
  }
  return pointers;
}

// For every room the lowest other room whose pointer is the same.
RoomPartners Partners(const RoomOffsets& offsets) {
  std::map<std::int64_t, std::vector<int>> roomsAt;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    roomsAt[offsets.at(static_cast<std::size_t>(room))].push_back(room);
  }
  RoomPartners partners{};
  for (int room = 0; room < ROOM_COUNT; ++room) {
    const std::vector<int>& group = roomsAt[offsets.at(static_cast<std::size_t>(room))];
    const int first = group.at(0);
    partners.at(static_cast<std::size_t>(room)) =
        first != room ? first : (group.size() > 1 ? group.at(1) : -1);
  }
  return partners;
}

struct SharedPointers {
  RoomPartners header;
  RoomPartners layer;
  RoomPartners sprite;
  RoomPartners item;
};

SharedPointers Sharing(const RoomPointers& pointers) {
  return {Partners(pointers.header), Partners(pointers.layer), Partners(pointers.sprite),
          Partners(pointers.item)};
}

std::string ShareMark(const RoomPartners& partners, int room) {
  const int partner = partners.at(static_cast<std::size_t>(room));
  return partner < 0 ? "-" : Format("=0x%03X", partner);
}

std::string FormatRoomHeading() {
  return Format("%-9s  %-6s  %6s %-6s  %6s %-6s  %6s %-6s  %6s %6s %7s  %-3s  %s\n", "Room",
                "Header", "Layer", "shared", "Sprite", "shared", "Items", "shared", "Chests",
                "Blocks", "Torches", "Pit", "Message");
}

std::string FormatRoomRow(const RoomSet& rooms, const SharedPointers& shared, int room) {
  const RoomData& data = rooms[static_cast<std::size_t>(room)];
  return Format("0x%03X %3d  %-6s  %6zu %-6s  %6zu %-6s  %6zu %-6s  %6zu %6zu %7zu  %-3s  %04X\n",
                room, room, ShareMark(shared.header, room).c_str(), data.layerData.size(),
                ShareMark(shared.layer, room).c_str(), data.spriteData.size(),
                ShareMark(shared.sprite, room).c_str(), data.itemData.size(),
                ShareMark(shared.item, room).c_str(), data.chests.size() / 2,
                data.pushableBlocks.size(), data.torches.size(), data.hasPit != 0 ? "yes" : "no",
                data.message);
}

std::vector<int> RoomsToShow(const RoomList* rooms) {
  std::set<int> chosen;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    if (rooms == nullptr || std::find(rooms->begin(), rooms->end(), room) != rooms->end()) {
      chosen.insert(room);
    }
  }
  return {chosen.begin(), chosen.end()};
}

bool CallsLoader(RomImage& rom) {
  return ReadByteAt(rom, SPRITE_CODE_FIELD, "sprite table code") == JSL_OPCODE;
}

// A run of bytes that one of the ROM's tables or pointers leads to.
struct Extent {
  std::string what;
  std::int64_t start = 0;
  std::int64_t end = 0;
};

void AddRoomExtents(const RoomSet& rooms, const RoomPointers& pointers,
                    std::vector<Extent>& extents) {
  for (int room = 0; room < ROOM_COUNT; ++room) {
    const auto index = static_cast<std::size_t>(room);
    const RoomData& data = rooms[index];
    const auto add = [&](const char* what, std::int64_t start, std::size_t size) {
      extents.push_back(
          {Format("%s of room %d", what, room), start, start + static_cast<std::int64_t>(size)});
    };
    add("header", pointers.header.at(index), ROOM_HEADER_SIZE);
    add("layer data", pointers.layer.at(index), data.layerData.size());
    add("sprite list", pointers.sprite.at(index), data.spriteData.size());
    add("item list", pointers.item.at(index), data.itemData.size());
  }
}

void AddSpriteExtents(RomImage& rom, const RomTables& tables, std::vector<Extent>& extents) {
  extents.push_back({"sprite pointer table", OffsetOf(tables.sprites.tableAddress),
                     OffsetOf(tables.sprites.tableAddress) + 2 * ROOM_COUNT});
  if (CallsLoader(rom)) {
    const std::int64_t loader =
        OffsetOf(ReadLongAt(rom, SPRITE_CODE_FIELD + 1, "sprite pointer loader address"));
    extents.push_back(
        {"sprite pointer loader", loader, loader + static_cast<std::int64_t>(SPRITE_LOADER_SIZE)});
  }
  if (HoldsAt(rom, DEATH_MASK_CODE, DEATH_MASK_SIGNATURE) &&
      DEATH_MASK_OPERAND + 2 <= ImageSize(rom)) {
    const std::int64_t masks = BankedOffset(
        tables.sprites.bank, ReadWordAt(rom, DEATH_MASK_OPERAND, "enemy death check operand"));
    extents.push_back({"slot death masks", masks, masks + 2 * DEATH_MASK_COUNT});
  }
}

void AddWindowExtents(RomImage& rom, const char* what, std::uint32_t size,
                      const std::uint32_t* windowFields, std::size_t windowCount,
                      std::uint32_t windowSize, std::vector<Extent>& extents) {
  for (std::size_t window = 0; window < windowCount && window * windowSize < size; ++window) {
    const std::int64_t start = OffsetOf(ReadLongAt(rom, windowFields[window], what));
    const std::int64_t bytes = std::min<std::int64_t>(windowSize, size - window * windowSize);
    extents.push_back({what, start, start + bytes});
  }
}

void AddGameTableExtents(RomImage& rom, const RomTables& tables, std::vector<Extent>& extents) {
  const std::int64_t headerEntries =
      IsShortHeaderTable(tables.headers) ? SHORT_HEADER_TABLE_ENTRIES : ROOM_COUNT;
  const std::int64_t headerTable = OffsetOf(tables.headers.tableAddress);
  extents.push_back({"room header pointer table", headerTable, headerTable + 2 * headerEntries});
  const std::int64_t layerTable = OffsetOf(tables.layers.tableAddress);
  extents.push_back({"layer pointer table", layerTable, layerTable + LAYER_TABLE_SIZE});
  const std::int64_t itemTable = OffsetOf(tables.items.tableAddress);
  extents.push_back({"item pointer table", itemTable, itemTable + ITEM_TABLE_SIZE});
  const std::int64_t messages = MessageTableOffset(rom);
  extents.push_back({"message table", messages, messages + MESSAGE_TABLE_SIZE});
  if (const std::optional<std::uint32_t> doors = DoorTableOffset(rom)) {
    extents.push_back({"door pointer table", *doors, *doors + DOOR_TABLE_SIZE});
  }
}

void AddRoomTableExtents(RomImage& rom, std::vector<Extent>& extents) {
  const std::uint32_t torchBytes = std::min<std::uint32_t>(
      ReadWordAt(rom, TORCH_COUNT_FIELD, "torch table count"), TORCH_TABLE_LIMIT);
  AddWindowExtents(rom, "torch table", torchBytes, TORCH_WINDOW_FIELDS.data(),
                   TORCH_WINDOW_FIELDS.size(), TORCH_WINDOW_SIZE, extents);
  const std::uint32_t blockBytes =
      std::min<std::uint32_t>(ReadWordAt(rom, PUSHABLE_BLOCK_COUNT_FIELD, "pushable block count"),
                              PUSHABLE_BLOCK_TABLE_LIMIT);
  AddWindowExtents(rom, "pushable block table", blockBytes, PUSHABLE_BLOCK_WINDOW_FIELDS.data(),
                   PUSHABLE_BLOCK_WINDOW_FIELDS.size(), PUSHABLE_BLOCK_WINDOW_SIZE, extents);

  const std::int64_t chestBytes = ReadWordAt(rom, CHEST_COUNT_FIELD, "chest count");
  const std::int64_t chests = OffsetOf(ReadLongAt(rom, CHEST_TABLE_FIELD, "chest table address"));
  const std::int64_t chestEntries = (chestBytes + CHEST_ENTRY_SIZE - 1) / CHEST_ENTRY_SIZE;
  extents.push_back({"chest table", chests, chests + chestEntries * CHEST_ENTRY_SIZE});

  const std::int64_t pitBytes =
      PitListSize(ReadWordAt(rom, PIT_LAST_INDEX_FIELD, "pit room list last index"));
  if (pitBytes > 0) {
    const std::int64_t pits = OffsetOf(ReadLongAt(rom, PIT_LIST_FIELD, "pit room list address"));
    extents.push_back({"pit room list", pits, pits + pitBytes});
  }
}

std::vector<Extent> Extents(RomImage& rom, const RomTables& tables, const RoomSet& rooms,
                            const RoomPointers& pointers) {
  std::vector<Extent> extents;
  AddRoomExtents(rooms, pointers, extents);
  AddSpriteExtents(rom, tables, extents);
  AddGameTableExtents(rom, tables, extents);
  AddRoomTableExtents(rom, extents);
  return extents;
}

// The extent reaching furthest among those that lie in the relocated area.
// An empty table (a chest count of 0) may keep an address that leads nowhere.
std::optional<Extent> FurthestInArea(const RomImage& rom, const OutputLayout& layout,
                                     const std::vector<Extent>& extents) {
  std::optional<Extent> furthest;
  for (const Extent& extent : extents) {
    const bool inArea =
        extent.start >= layout.base && extent.end > extent.start && extent.end <= ImageSize(rom);
    if (inArea && (!furthest || extent.end > furthest->end)) {
      furthest = extent;
    }
  }
  return furthest;
}

std::string SummaryLine(const char* topic, const std::string& text) {
  return Format("  %-18s %s\n", topic, text.c_str());
}

std::string HeaderTableLine(const RomTables& tables) {
  const bool isShort = IsShortHeaderTable(tables.headers);
  return SummaryLine(
      "Header table",
      Format("%d entries at 0x%06llX, headers in bank %02X%s",
             isShort ? SHORT_HEADER_TABLE_ENTRIES : ROOM_COUNT,
             static_cast<long long>(OffsetOf(tables.headers.tableAddress)), tables.headers.bank,
             isShort ? " (rooms 296 to 319 use room 295's header)" : ""));
}

std::string SpriteTableLine(RomImage& rom, const RomTables& tables) {
  const long long table = OffsetOf(tables.sprites.tableAddress);
  if (!CallsLoader(rom)) {
    return SummaryLine("Sprite table",
                       Format("the game's own: table at 0x%06llX, lists in bank %02X", table,
                              tables.sprites.bank));
  }
  const long long loader =
      OffsetOf(ReadLongAt(rom, SPRITE_CODE_FIELD + 1, "sprite pointer loader address"));
  return SummaryLine("Sprite table", Format("written by this tool: loader at 0x%06llX, table at "
                                            "0x%06llX, lists in bank %02X",
                                            loader, table, tables.sprites.bank));
}

std::string RelocatedAreaLine(const RomImage& rom, const OutputLayout& layout,
                              const std::vector<Extent>& extents) {
  const std::optional<Extent> furthest = FurthestInArea(rom, layout, extents);
  const auto base = static_cast<long long>(layout.base);
  std::string text = CarriesMarker(rom, layout) ? Format("marker text at 0x%llX", base)
                                                : Format("none: no marker text at 0x%llX", base);
  if (furthest) {
    text += Format("; the tables point into it up to 0x%06llX, the last byte of the %s",
                   static_cast<long long>(furthest->end - 1), furthest->what.c_str());
  } else {
    text += "; no table points into it";
  }
  return SummaryLine("Relocated area", text);
}

struct Totals {
  std::size_t chests = 0;
  std::size_t pushableBlocks = 0;
  std::size_t torchWords = 0;
  std::size_t pitRooms = 0;
  std::int64_t torchTableBytes = 0;
  std::int64_t paddedItems = 0;
  std::int64_t paddedSprites = 0;
};

std::int64_t Padded(std::size_t size) { return static_cast<std::int64_t>((size + 15) / 16 * 16); }

Totals TotalsOf(const RoomSet& rooms) {
  Totals totals;
  for (const RoomData& room : rooms.rooms) {
    totals.chests += room.chests.size() / 2;
    totals.pushableBlocks += room.pushableBlocks.size();
    totals.torchWords += room.torches.size();
    totals.pitRooms += room.hasPit != 0 ? 1 : 0;
    if (!room.torches.empty()) {
      totals.torchTableBytes += TorchEntrySize(room.torches);
    }
    totals.paddedItems += Padded(room.itemData.size());
    totals.paddedSprites += Padded(room.spriteData.size());
  }
  return totals;
}

// The sprite block is the first behind the marker text.
std::string LimitRows(const Totals& totals, const OutputLayout& layout) {
  std::string text = FormatLimitHeading();
  text += FormatLimitRow("Torch table", totals.torchTableBytes, TORCH_TABLE_LIMIT);
  text +=
      FormatLimitRow("Pushable block table",
                     static_cast<std::int64_t>(totals.pushableBlocks) * PUSHABLE_BLOCK_ENTRY_SIZE,
                     PUSHABLE_BLOCK_TABLE_LIMIT);
  text += FormatLimitRow("Item lists, padded", totals.paddedItems, ItemListRoom());
  text += FormatLimitRow("Sprite lists, padded", totals.paddedSprites,
                         SpriteListRoom(MarkerEnd(layout)));
  return text;
}

std::string FormatSummary(RomImage& rom, const RomTables& tables, const RoomSet& rooms,
                          const OutputLayout& layout, const std::vector<Extent>& extents) {
  const Totals totals = TotalsOf(rooms);
  std::string text = Format("Summary of %s\n", rom.name.c_str());
  text += HeaderTableLine(tables);
  text += SpriteTableLine(rom, tables);
  text += SummaryLine(
      "Totals", Format("%zu chests, %zu pushable blocks, %zu torch words, %zu "
                       "pit rooms",
                       totals.chests, totals.pushableBlocks, totals.torchWords, totals.pitRooms));
  text += RelocatedAreaLine(rom, layout, extents);
  text += '\n';
  text += LimitRows(totals, layout);
  return text;
}

}  // namespace

Inspection InspectRomRooms(RomImage& rom, const RoomList* rooms, const OutputLayout& layout) {
  RoomSet roomSet;
  RomTables tables;
  ReadAllRooms(rom, roomSet, tables);
  const RoomPointers pointers = PointersOf(tables);
  const std::vector<Extent> extents = Extents(rom, tables, roomSet, pointers);

  const SharedPointers shared = Sharing(pointers);
  Inspection inspection;
  std::string& text = inspection.text;
  text = Format("Rooms of %s (sizes in bytes; =0x012: shared with room 0x012)\n", rom.name.c_str());
  text += FormatRoomHeading();
  std::size_t line = LineCounter{}.At(text);
  for (const int room : RoomsToShow(rooms)) {
    inspection.rooms.push_back(
        InspectedRoomOf(roomSet[static_cast<std::size_t>(room)], room, line++));
    text += FormatRoomRow(roomSet, shared, room);
  }
  text += '\n';
  text += FormatSummary(rom, tables, roomSet, layout, extents);
  return inspection;
}

std::string InspectRom(RomImage& rom, const RoomList* rooms, const OutputLayout& layout) {
  return InspectRomRooms(rom, rooms, layout).text;
}
