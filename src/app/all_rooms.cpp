#include "app/all_rooms.h"

#include "rom/block_output.h"
#include "tables/chests.h"
#include "tables/game_code.h"
#include "tables/pit_rooms.h"
#include "tables/pushable_blocks.h"
#include "tables/room_headers.h"
#include "tables/room_items.h"
#include "tables/room_layers.h"
#include "tables/room_messages.h"
#include "tables/room_sprites.h"
#include "tables/torches.h"

void ReadAllRooms(RomImage& rom, RoomSet& rooms) {
  CheckGameCode(rom);

  HeaderPointerTable headerTable;
  LayerPointerTable layerTable;
  SpritePointerTable spriteTable;
  ItemPointerTable itemTable;
  ReadHeaderPointerTable(rom, headerTable);
  ReadLayerPointerTable(rom, layerTable);
  ReadSpritePointerTable(rom, spriteTable);
  ReadItemPointerTable(rom, itemTable);

  ReadRoomHeaders(rom, rooms, headerTable);
  ReadRoomLayers(rom, rooms, layerTable);
  ReadRoomSprites(rom, rooms, spriteTable);
  ReadRoomItems(rom, rooms, itemTable);
  ReadRoomPushableBlocks(rom, rooms);
  ReadRoomTorches(rom, rooms);
  ReadRoomChests(rom, rooms);
  ReadRoomPits(rom, rooms);
  ReadRoomMessages(rom, rooms);
}

void WriteMarker(RomImage& out) {
  const std::string marker = MARKER_TEXT;
  AlignTo16(out);
  EnsureNoBankBreach(out, static_cast<std::uint32_t>(marker.size()));
  const std::int64_t start = Tell(out);
  WriteText(out, marker);
  RecordBlock(out, "Marker", start, Tell(out));
}

void WriteAllRooms(RomImage& out, const RoomSet& rooms) {
  WriteRoomSprites(out, rooms);
  WriteRoomHeaders(out, rooms);
  WriteRoomLayers(out, rooms);
  WriteRoomItems(out, rooms);
  WriteRoomPushableBlocks(out, rooms);
  WriteRoomTorches(out, rooms);
  WriteRoomChests(out, rooms);
  WriteRoomPits(out, rooms);
  WriteRoomMessages(out, rooms);
}
