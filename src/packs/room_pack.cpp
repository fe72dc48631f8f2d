#include "packs/room_pack.h"

std::vector<int> HeldRooms(const RoomPack& pack) {
  std::vector<int> rooms;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    if (pack.held.at(static_cast<std::size_t>(room))) {
      rooms.push_back(room);
    }
  }
  return rooms;
}

void PackRoom(RoomPack& pack, int as, const RoomData& room, const std::vector<std::string>& notes) {
  const auto index = static_cast<std::size_t>(as);
  pack.rooms[index] = room;
  pack.rooms[index].hasPit = room.hasPit != 0 ? 1 : 0;
  pack.held.at(index) = true;
  pack.roomNotes.at(index) = notes;
}
