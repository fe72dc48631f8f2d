// A room pack: chosen rooms, complete, apart from any ROM. Each room keeps
// the number it was packed under; the pack's note and each room's note are
// the author's own lines, carried along unread.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "rooms/room_data.h"

struct RoomPack {
  std::vector<std::string> note;  // the pack's note lines
  RoomSet rooms;                  // the rooms held; the others stay empty
  std::array<bool, ROOM_COUNT> held{};
  std::array<std::vector<std::string>, ROOM_COUNT> roomNotes{};
};

// The numbers of the rooms the pack holds, ascending.
std::vector<int> HeldRooms(const RoomPack& pack);

// Puts `room` into the pack as room `as`, replacing a room
// held under that number (its note goes with it when `notes` is given).
void PackRoom(RoomPack& pack, int as, const RoomData& room,
              const std::vector<std::string>& notes = {});
