#include "packs/room_pack.h"

#include <algorithm>

std::vector<int> HeldRooms(const RoomPack& pack) {
  std::vector<int> rooms;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    if (pack.held.at(static_cast<std::size_t>(room))) {
      rooms.push_back(room);
    }
  }
  return rooms;
}

void PackRoom(RoomPack& pack, int as, const RoomData& room, const NoteLines& note) {
  const auto index = static_cast<std::size_t>(as);
  pack.rooms[index] = room;
  pack.rooms[index].hasPit = room.hasPit != 0 ? 1 : 0;
  pack.held.at(index) = true;
  pack.roomNotes.at(index) = note;
}

void AddNoteLine(NoteLines& note, std::string_view line) {
  // One growth for the line and its end, however long the line: a note of
  // one long line costs its text once, not twice.
  const std::size_t needed = note.size() + line.size() + 1;
  if (needed > note.capacity()) {
    note.reserve(std::max(needed, 2 * note.capacity()));
  }
  note.append(line);
  note.push_back('\n');
}
