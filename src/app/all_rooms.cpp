#include "app/all_rooms.h"

#include "rom/block_output.h"
#include "tables/game_code.h"
#include "tables/room_headers.h"

void ReadAllRooms(RomImage& rom, RoomSet& rooms) {
  CheckGameCode(rom);

  HeaderPointerTable headerTable;
  ReadHeaderPointerTable(rom, headerTable);

  ReadRoomHeaders(rom, rooms, headerTable);
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
  WriteRoomHeaders(out, rooms);
}
