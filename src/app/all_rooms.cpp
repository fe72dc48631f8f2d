#include "app/all_rooms.h"

#include "rom/block_output.h"
#include "tables/chests.h"
#include "tables/game_code.h"
#include "tables/pit_rooms.h"
#include "tables/pushable_blocks.h"
#include "tables/room_messages.h"
#include "tables/torches.h"

void ReadAllRooms(RomImage& rom, RoomSet& rooms, RoomPointerTables& tables) {
  CheckGameCode(rom);

  ReadHeaderPointerTable(rom, tables.headers);
  ReadLayerPointerTable(rom, tables.layers);
  ReadSpritePointerTable(rom, tables.sprites);
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

void ReadAllRooms(RomImage& rom, RoomSet& rooms) {
  RoomPointerTables tables;
  ReadAllRooms(rom, rooms, tables);
}

void WriteMarker(RomImage& out, const OutputLayout& layout) {
  const std::string marker = MARKER_TEXT;
  Seek(out, layout.base);
  AlignTo16(out);
  EnsureNoBankBreach(out, static_cast<std::uint32_t>(marker.size()));
  const std::int64_t start = Tell(out);
  WriteText(out, marker);
  RecordBlock(out, BlockKind::Marker, start, Tell(out));
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
