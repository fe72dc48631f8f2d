#include "app/job/all_rooms.h"

#include "rom/block_output.h"
#include "tables/chests.h"
#include "tables/game_code.h"
#include "tables/pit_rooms.h"
#include "tables/pushable_blocks.h"
#include "tables/room_messages.h"
#include "tables/torches.h"

namespace {

// The game's lookups that the editable layout keeps, as the dungeon editors use them.
void CheckEditableLookups(RomImage& rom) {
  RefuseSpriteLoader(rom);
  RefuseItemBankApartFromTable(rom);
  RefuseTorchWindowsAway(rom);
}

}  // namespace

void ReadAllRooms(RomImage& rom, RoomSet& rooms) {
  RoomPointerTables tables;
  ReadAllRooms(rom, rooms, tables, LayoutKind::Classic);
}

void ReadAllRooms(RomImage& rom, RoomSet& rooms, RoomPointerTables& tables, LayoutKind kind,
                  std::FILE* console) {
  CheckGameCode(rom);
  if (kind == LayoutKind::Editable) {
    CheckEditableLookups(rom);
  }

  ReadHeaderPointerTable(rom, tables.headers);
  ReadLayerPointerTable(rom, tables.layers);
  ReadSpritePointerTable(rom, tables.sprites, console);
  ReadItemPointerTable(rom, tables.items);

  ReadRoomHeaders(rom, rooms, tables.headers);
  ReadRoomLayers(rom, rooms, tables.layers);
  ReadRoomSprites(rom, rooms, tables.sprites);
  ReadRoomItems(rom, rooms, tables.items);
  ReadRoomPushableBlocks(rom, rooms);
  ReadRoomTorches(rom, rooms);
  ReadRoomChests(rom, rooms);
  ReadRoomPits(rom, rooms);
  ReadRoomMessages(rom, rooms);
}

void WriteMarker(OutputRom& out, const OutputLayout& layout) {
  const std::string marker = MARKER_TEXT;
  Seek(out, layout.base);
  AlignTo16(out);
  EnsureNoBankBreach(out, static_cast<std::uint32_t>(marker.size()));
  const std::int64_t start = Tell(out);
  WriteText(out, marker);
  RecordBlock(out, BlockKind::Marker, start, Tell(out));
}

void FindListRegions(const RomImage& destination, const RoomPointerTables& tables,
                     const RoomSet& rooms, OutputLayout& layout) {
  layout.spriteLists = SpriteListRegion(tables.sprites, rooms, destination.name);
  layout.itemLists = ItemListRegion(tables.items, rooms, destination.name);
}

void WriteAllRooms(OutputRom& out, const RoomSet& rooms, const OutputLayout& layout) {
  if (layout.kind == LayoutKind::Classic) {
    WriteRoomSprites(out, rooms);
    WriteRoomHeaders(out, rooms);
    WriteRoomLayers(out, rooms);
    WriteRoomItems(out, rooms);
    WriteRoomPushableBlocks(out, rooms);
    WriteRoomTorches(out, rooms);
    WriteRoomChests(out, rooms);
  } else {
    WriteRoomSpritesInPlace(out, rooms, layout.spriteLists);
    WriteRoomHeaders(out, rooms);
    WriteRoomLayers(out, rooms);
    WriteRoomItemsInPlace(out, rooms, layout.itemLists);
    WriteRoomPushableBlocks(out, rooms, PUSHABLE_BLOCK_TABLE_LIMIT);
    WriteRoomTorchesInPlace(out, rooms);
    WriteRoomChestsForEditors(out, rooms);
  }
  WriteRoomPits(out, rooms);
  WriteRoomMessages(out, rooms);
}
